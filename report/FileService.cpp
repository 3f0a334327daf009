#include "report/FileService.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace vodazi {
namespace {

// The name as a path, with backslashes read as folder separators.
std::string NativeFileName(const std::string& fileName) {
    std::string native = fileName;
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

}  // namespace

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

std::unique_ptr<TextStream> FileService::CreateTextFile(const std::string& fileName) const {
    return std::make_unique<TextStream>(
        std::make_unique<FileReplacement>(fileName, NativeFileName(fileName)));
}

}  // namespace vodazi
