#include "report/FileService.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "report/NameResolution.h"
#include "report/NativeName.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// The name as the user meant it: a name copied from a terminal brings its line end along,
// which a one-line box does not show.
std::string WithoutLineEnds(const std::string& fileName) {
    const auto first = std::find_if_not(fileName.begin(), fileName.end(), IsLineEnd);
    const auto last = std::find_if_not(fileName.rbegin(), fileName.rend(), IsLineEnd).base();
    return first < last ? std::string(first, last) : std::string();
}

// The name as typed, with backslashes read as folder separators.
std::string TypedPath(const std::string& fileName) {
    std::string path = WithoutLineEnds(fileName);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// The name as the system stores it.
fs::path NativeFileName(const std::string& fileName) {
    return NativeName(TypedPath(fileName));
}

}  // namespace

bool FileService::HoldsLineBreak(const std::string& fileName) const {
    const std::string meant = WithoutLineEnds(fileName);
    return std::any_of(meant.begin(), meant.end(), IsLineEnd);
}

bool FileService::TooLong(const std::string& name) const {
    std::error_code error;
    return fs::status(NativeFileName(name), error).type() == fs::file_type::none &&
           error == std::errc::filename_too_long;
}

std::string FileService::GetParentFolderName(const std::string& fileName) const {
    const std::string typed = TypedPath(fileName);
    // No name, or one of blanks only, which no one means as a file: no folder.
    if (typed.find_first_not_of(" \t") == std::string::npos) return {};
    // Split as UTF-8, which every platform's path takes whole.
    const std::u8string parent =
        fs::path(std::u8string(typed.begin(), typed.end())).parent_path().u8string();
    return parent.empty() ? "." : std::string(parent.begin(), parent.end());
}

bool FileService::FolderExists(const std::string& folderName) const {
    if (folderName.empty()) return false;
    std::error_code error;
    return fs::is_directory(NativeFileName(folderName), error);
}

bool FileService::FileExists(const std::string& fileName) const {
    std::error_code error;
    return fs::is_regular_file(NativeFileName(fileName), error);
}

bool FileService::Planted(const std::string& fileName) const {
    return vodazi::Planted(NativeFileName(fileName));
}

std::unique_ptr<TextStream> FileService::CreateTextFile(const std::string& fileName) const {
    return std::make_unique<TextStream>(
        std::make_unique<FileReplacement>(WithoutLineEnds(fileName), NativeFileName(fileName)));
}

}  // namespace vodazi
