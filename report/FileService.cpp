#include "report/FileService.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "calc/RunFailure.h"

namespace fs = std::filesystem;

namespace vodazi {

std::string NativeFileName(const std::string& fileName) {
    std::string native = fileName;
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

std::string FileService::GetParentFolderName(const std::string& fileName) const {
    if (fileName.empty()) return {};  // no name, no folder
    const fs::path parent = fs::path(NativeFileName(fileName)).parent_path();
    return parent.empty() ? "." : parent.string();
}

bool FileService::FolderExists(const std::string& folderName) const {
    if (folderName.empty()) return false;
    std::error_code error;
    return fs::is_directory(fs::path(NativeFileName(folderName)), error);
}

bool FileService::FileExists(const std::string& fileName) const {
    std::error_code error;
    return fs::is_regular_file(fs::path(NativeFileName(fileName)), error);
}

std::unique_ptr<TextStream> FileService::CreateTextFile(const std::string& fileName, bool overwrite) const {
    fs::path target(NativeFileName(fileName));
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status)) {
            throw RunFailure("Cannot write \"" + fileName + "\": it is not a regular file.");
        }
        if (!overwrite) throw RunFailure("Cannot write \"" + fileName + "\": the file exists.");
        // Replace what a link points to, not the link itself.
        if (fs::is_symlink(fs::symlink_status(target, error))) target = fs::canonical(target, error);
    }
    return std::make_unique<TextStream>(fileName, target.string());
}

}  // namespace vodazi
