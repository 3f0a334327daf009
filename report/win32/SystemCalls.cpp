#include "report/win32/SystemCalls.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <utility>
#include <vector>

namespace vodazi::system_calls {
namespace {

FaultHook* hook = nullptr;  // set only by tests

// One WriteFile or ReadFile moves at most this much: their counts are 32-bit.
constexpr std::size_t LargestCall = std::size_t{1} << 30;

int Fault(Call call) {
    if (hook == nullptr) [[likely]]
        return 0;
    return (*hook)(call);
}

// True when the hook fails this call; LastError() then gives its error.
bool Injected(Call call) {
    const int fault = Fault(call);
    if (fault > 0) ::SetLastError(static_cast<DWORD>(fault));
    return fault > 0;
}

HANDLE Native(FileHandle file) {
    return static_cast<HANDLE>(file);
}

FileHandle Opened(HANDLE file) {
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

// Writes all of `count` bytes, from `offset` on or where the file stands, one call at a time.
bool WriteAll(Call call, HANDLE file, const char* bytes, std::size_t count,
              const std::uint64_t* offset) {
    std::size_t done = 0;
    while (done < count) {
        const int fault = Fault(call);
        if (fault > 0) {
            ::SetLastError(static_cast<DWORD>(fault));
            return false;
        }
        std::size_t wanted = std::min(count - done, LargestCall);
        if (fault == ShortCount) wanted = (wanted + 1) / 2;
        OVERLAPPED at = offset != nullptr ? At(*offset + done) : OVERLAPPED{};
        DWORD written = 0;
        if (!::WriteFile(file, bytes + done, static_cast<DWORD>(wanted), &written,
                         offset != nullptr ? &at : nullptr)) {
            return false;
        }
        if (written == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        done += written;
    }
    return true;
}

}  // namespace

void SetFaultHook(FaultHook newHook) {
    static FaultHook held;
    hook = nullptr;
    held = std::move(newHook);
    if (held) hook = &held;
}

int LastError() {
    return static_cast<int>(::GetLastError());
}

FileHandle CreateTemporary(const wchar_t* path) {
    if (Injected(Call::CreateTemporary)) return nullptr;
    return Opened(::CreateFileW(path, GENERIC_READ | GENERIC_WRITE | DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileHandle OpenTarget(const wchar_t* path) {
    if (Injected(Call::OpenTarget)) return nullptr;
    return Opened(::CreateFileW(path, GENERIC_WRITE | READ_CONTROL,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool Write(FileHandle file, const void* bytes, std::size_t count) {
    return WriteAll(Call::Write, Native(file), static_cast<const char*>(bytes), count, nullptr);
}

bool DeleteOnClose(FileHandle file, bool remove) {
    if (Injected(Call::DeleteOnClose)) return false;
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    return ::SetFileInformationByHandle(Native(file), FileDispositionInfo, &disposition,
                                        sizeof disposition) != 0;
}

bool Sync(FileHandle file) {
    return !Injected(Call::Sync) && ::FlushFileBuffers(Native(file)) != 0;
}

bool Rename(FileHandle file, const wchar_t* path) {
    if (Injected(Call::Rename)) return false;
    // The structure ends in the name, which runs on past it.
    const std::size_t nameBytes = std::wcslen(path) * sizeof(wchar_t);
    std::vector<char> bytes(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(bytes.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::copy_n(path, std::wcslen(path), info->FileName);
    return ::SetFileInformationByHandle(Native(file), FileRenameInfo, info,
                                        static_cast<DWORD>(bytes.size())) != 0;
}

bool Replace(const wchar_t* target, const wchar_t* replacement) {
    if (Injected(Call::Replace)) return false;
    return ::ReplaceFileW(target, replacement, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                          nullptr) != 0;
}

bool Allocate(FileHandle file, std::uint64_t length) {
    if (Injected(Call::Allocate)) return false;
    FILE_ALLOCATION_INFO allocation{};
    allocation.AllocationSize.QuadPart = static_cast<LONGLONG>(length);
    return ::SetFileInformationByHandle(Native(file), FileAllocationInfo, &allocation,
                                        sizeof allocation) != 0;
}

bool CopyRead(FileHandle file, void* bytes, std::size_t count, std::uint64_t offset,
              std::size_t& got) {
    got = 0;
    if (Injected(Call::CopyRead)) return false;
    OVERLAPPED at = At(offset);
    DWORD read = 0;
    if (!::ReadFile(Native(file), bytes, static_cast<DWORD>(std::min(count, LargestCall)), &read,
                    &at)) {
        return ::GetLastError() == ERROR_HANDLE_EOF;
    }
    got = read;
    return true;
}

bool CopyWrite(FileHandle file, const void* bytes, std::size_t count, std::uint64_t offset) {
    return WriteAll(Call::CopyWrite, Native(file), static_cast<const char*>(bytes), count, &offset);
}

bool Truncate(FileHandle file, std::uint64_t length) {
    if (Injected(Call::Truncate)) return false;
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
    return ::SetFileInformationByHandle(Native(file), FileEndOfFileInfo, &end, sizeof end) != 0;
}

bool Close(FileHandle file) {
    const bool injected = Injected(Call::Close);
    const DWORD error = ::GetLastError();
    const bool closed = ::CloseHandle(Native(file)) != 0;
    if (injected) {
        ::SetLastError(error);
        return false;
    }
    return closed;
}

}  // namespace vodazi::system_calls
