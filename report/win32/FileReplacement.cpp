#include "report/win32/FileReplacement.h"

#include <aclapi.h>
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <iterator>
#include <vector>

#include "calc/RunFailure.h"
#include "calc/UserTexts.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

constexpr int ShortNameAttempts = 100;
constexpr std::size_t CopyBytes = std::size_t{1} << 20;

// The system's own words for `error`, in UTF-8, without the full stop it ends them with.
std::string SystemReason(int error) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason(text != nullptr ? text : L"", length);
    ::LocalFree(text);
    while (!reason.empty() && (reason.back() == L'.' || std::iswspace(reason.back()))) {
        reason.pop_back();
    }
    if (reason.empty()) return texts::UnknownErrorReason(error);
    const int bytes = ::WideCharToMultiByte(
        CP_UTF8, 0, reason.data(), static_cast<int>(reason.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, reason.data(), static_cast<int>(reason.size()), utf8.data(),
                          bytes, nullptr, nullptr);
    return utf8;
}

// A hidden name of fixed length, whatever the target's, so that every name the file system
// accepts can be written.
std::wstring ShortName() {
    static unsigned counter = 0;
    const auto now = static_cast<unsigned>(::GetTickCount64());
    const unsigned mixed = (now * 2654435761u) ^ (::GetCurrentProcessId() << 16) ^ ++counter;
    wchar_t name[20];
    std::swprintf(name, std::size(name), L".vodazi-%08x", mixed);
    return name;
}

// The owner a new file of this user gets, or the user itself, equals `owner`.
bool OwnerOfNewFiles(PSID owner) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    bool same = false;
    for (const TOKEN_INFORMATION_CLASS kind : {TokenOwner, TokenUser}) {
        DWORD size = 0;
        ::GetTokenInformation(token, kind, nullptr, 0, &size);
        std::vector<char> information(size);
        if (size == 0 || !::GetTokenInformation(token, kind, information.data(), size, &size)) {
            continue;
        }
        // TOKEN_OWNER and TOKEN_USER both begin with the SID.
        const PSID sid = kind == TokenOwner
                             ? reinterpret_cast<TOKEN_OWNER*>(information.data())->Owner
                             : reinterpret_cast<TOKEN_USER*>(information.data())->User.Sid;
        same = same || ::EqualSid(owner, sid);
    }
    ::CloseHandle(token);
    return same;
}

bool OwnedByUser(HANDLE file) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool own = owner != nullptr && OwnerOfNewFiles(owner);
    ::LocalFree(descriptor);
    return own;
}

fs::path Absolute(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute;
}

}  // namespace

FileReplacement::FileReplacement(std::string displayName, const fs::path& path)
    : displayName_(std::move(displayName)),
      target_(Absolute(path)),
      folder_(target_.parent_path()) {
    try {
        Prepare();
    } catch (...) {
        Discard();
        throw;
    }
}

FileReplacement::~FileReplacement() {
    Discard();
}

// The unfinished report goes first, so that a full disk has its space back while the user
// reads why.
void FileReplacement::Fail(int error) {
    Fail(SystemReason(error));
}

void FileReplacement::Fail(const std::string& reason) {
    Discard();
    throw RunFailure(texts::CannotWriteMessage(displayName_, reason, overwriting_));
}

void FileReplacement::Prepare() {
    const DWORD attributes = ::GetFileAttributesW(target_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) Fail(static_cast<int>(error));
        way_ = Way::NewFile;
        temporary_ = CreateTemporary(folder_);
        if (temporary_ == nullptr) {
            throw RunFailure(
                texts::CannotCreateMessage(displayName_, SystemReason(system_calls::LastError())));
        }
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) Fail(texts::NotARegularFileReason);
    // Opening it for writing asks the system what this user may do to the file; a file that
    // could not be overwritten, read-only or refused, is not replaced either.
    targetFile_ = system_calls::OpenTarget(target_.c_str());
    if (targetFile_ == nullptr) Fail(system_calls::LastError());
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && KeepsWhatTheFileIs()) {
        temporary_ = CreateTemporary(folder_);
        if (temporary_ != nullptr) {
            way_ = Way::Replace;
            system_calls::Close(targetFile_);
            targetFile_ = nullptr;
            return;
        }
    }
    way_ = Way::InPlace;
    temporary_ = CreateTemporary(folder_);
    if (temporary_ == nullptr) {
        const int error = system_calls::LastError();
        std::error_code noFolder;
        temporary_ = CreateTemporary(fs::temp_directory_path(noFolder));
        if (temporary_ == nullptr) Fail(error);
    }
}

// A replacement keeps the file what it was only for a file of the user's own with one name.
bool FileReplacement::KeepsWhatTheFileIs() const {
    BY_HANDLE_FILE_INFORMATION information{};
    return ::GetFileInformationByHandle(static_cast<HANDLE>(targetFile_), &information) != 0 &&
           information.nNumberOfLinks == 1 && OwnedByUser(static_cast<HANDLE>(targetFile_));
}

// A new file in `folder`, deleted by the system when its handle closes; nullptr with the
// error for LastError() when none can be created there.
system_calls::FileHandle FileReplacement::CreateTemporary(const fs::path& folder) {
    for (int attempt = 0; attempt < ShortNameAttempts; ++attempt) {
        const fs::path name = folder / ShortName();
        const system_calls::FileHandle file = system_calls::CreateTemporary(name.c_str());
        if (file == nullptr) {
            const int error = system_calls::LastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            return nullptr;
        }
        if (!system_calls::DeleteOnClose(file, true)) {
            const int error = system_calls::LastError();
            system_calls::Close(file);
            ::DeleteFileW(name.c_str());
            ::SetLastError(static_cast<DWORD>(error));
            return nullptr;
        }
        temporaryName_ = name;
        deletedOnClose_ = true;
        return file;
    }
    return nullptr;
}

// Whatever failed before, the temporary file goes: by its disposition where the system
// takes it, by its name otherwise.
void FileReplacement::CloseTemporary() noexcept {
    if (temporary_ != nullptr) {
        if (!temporaryName_.empty() && !deletedOnClose_) {
            deletedOnClose_ = system_calls::DeleteOnClose(temporary_, true);
        }
        system_calls::Close(temporary_);
        temporary_ = nullptr;
    }
    if (!temporaryName_.empty() && !deletedOnClose_) ::DeleteFileW(temporaryName_.c_str());
    temporaryName_.clear();
    deletedOnClose_ = false;
}

void FileReplacement::Commit(std::uint64_t length) {
    switch (way_) {
        case Way::NewFile:
            Publish();
            break;
        case Way::Replace:
            ReplaceTarget();
            break;
        case Way::InPlace:
            CopyOver(length);
            break;
    }
    Discard();
}

// The file keeps its handle while it takes its name, so that nothing can come between.
void FileReplacement::Publish() {
    if (!system_calls::DeleteOnClose(temporary_, false)) Fail(system_calls::LastError());
    deletedOnClose_ = false;
    if (!system_calls::Rename(temporary_, target_.c_str())) Fail(system_calls::LastError());
    temporaryName_.clear();
}

// On disk before it replaces anything: a crash then leaves the old report or the new.
// ReplaceFileW opens the new file by its name, so the handle goes first.
void FileReplacement::ReplaceTarget() {
    if (!system_calls::Sync(temporary_)) Fail(system_calls::LastError());
    if (!system_calls::DeleteOnClose(temporary_, false)) Fail(system_calls::LastError());
    deletedOnClose_ = false;
    system_calls::Close(temporary_);
    temporary_ = nullptr;
    if (!system_calls::Replace(target_.c_str(), temporaryName_.c_str())) {
        Fail(system_calls::LastError());
    }
    temporaryName_.clear();
}

// Everything that can be foreseen is checked before the first byte of the old report
// changes: the new report is complete, and the space it needs is reserved. The reservation
// never shrinks the old file, which would damage it before the copy begins.
void FileReplacement::CopyOver(std::uint64_t length) {
    HANDLE const target = static_cast<HANDLE>(targetFile_);
    LARGE_INTEGER oldSize{};
    if (!::GetFileSizeEx(target, &oldSize)) Fail(static_cast<int>(::GetLastError()));
    if (length > static_cast<std::uint64_t>(oldSize.QuadPart) &&
        !system_calls::Allocate(targetFile_, length)) {
        const int error = system_calls::LastError();
        // A system or file system that reserves no space (wine has no such call) is no
        // failure: the copy then finds a full disk itself.
        if (error != ERROR_INVALID_FUNCTION && error != ERROR_NOT_SUPPORTED &&
            error != ERROR_CALL_NOT_IMPLEMENTED) {
            Fail(error);
        }
    }
    std::vector<char> buffer(CopyBytes);
    for (std::uint64_t done = 0; done < length;) {
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(length - done, CopyBytes));
        std::size_t got = 0;
        if (!system_calls::CopyRead(temporary_, buffer.data(), wanted, done, got)) {
            Fail(system_calls::LastError());
        }
        if (got == 0) Fail(ERROR_HANDLE_EOF);
        overwriting_ = true;
        if (!system_calls::CopyWrite(targetFile_, buffer.data(), got, done)) {
            Fail(system_calls::LastError());
        }
        done += got;
    }
    if (!system_calls::Truncate(targetFile_, length) || !system_calls::Sync(targetFile_)) {
        Fail(system_calls::LastError());
    }
}

void FileReplacement::Discard() noexcept {
    CloseTemporary();
    if (targetFile_ != nullptr) system_calls::Close(targetFile_);
    targetFile_ = nullptr;
}

}  // namespace vodazi
