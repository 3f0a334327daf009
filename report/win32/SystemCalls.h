#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace vodazi::system_calls {

// The Win32 calls through which the report file reaches the file system. They exist as a
// seam so that tests can make any one of them fail the way a full or broken disk, a lost
// permission or a file another program holds would. Each returns false (or no file) on
// failure, with the system's error code for LastError().
enum class Call {
    CreateTemporary,  // the new report, under a hidden name
    OpenTarget,       // an existing report, to learn what it is and to write over it
    Write,            // the report, buffer by buffer
    DeleteOnClose,    // sets or clears the temporary file's delete disposition
    Sync,             // the data of a finished file
    Rename,           // gives a new report its name
    Replace,          // puts the new file in place of the old
    Allocate,         // reserves the space of an in-place copy
    CopyRead,         // the in-place copy, read from the finished temporary file
    CopyWrite,        // and written over the old report
    Truncate,         // cuts the old report to the new length
    Close,
};

// Returns the Win32 error code to fail a call with, or 0 to let it through; for Write and
// CopyWrite, once for each system call they make, ShortCount as the system may answer a
// write. Set only while no report is being written; the hook may be called from the writer
// thread. Without a hook each call costs one test of a pointer.
constexpr int ShortCount = -1;  // the system writes only part of the bytes
using FaultHook = std::function<int(Call)>;
void SetFaultHook(FaultHook hook);

// An open file (a HANDLE, kept out of the headers); nullptr is none.
using FileHandle = void*;
// The error code of the last failed call on this thread.
int LastError();

// A new file at `path`, which must not exist yet, open for reading and writing; shared
// with the replacing calls of this process.
FileHandle CreateTemporary(const wchar_t* path);
// An existing file, open for reading its security information and for writing.
FileHandle OpenTarget(const wchar_t* path);
// Writes all of `count` bytes, going on after partial writes.
bool Write(FileHandle file, const void* bytes, std::size_t count);
// Whether the system deletes the file when its last handle closes, however the program ends.
bool DeleteOnClose(FileHandle file, bool remove);
bool Sync(FileHandle file);
// Gives the open file `path` as its name, failing where a file of that name exists.
bool Rename(FileHandle file, const wchar_t* path);
// Puts `replacement` in place of `target`, keeping the target's attributes, security and
// streams.
bool Replace(const wchar_t* target, const wchar_t* replacement);
bool Allocate(FileHandle file, std::uint64_t length);
// Reads up to `count` bytes at `offset`; `got` is 0 at the end of the file.
bool CopyRead(FileHandle file, void* bytes, std::size_t count, std::uint64_t offset,
              std::size_t& got);
bool CopyWrite(FileHandle file, const void* bytes, std::size_t count, std::uint64_t offset);
bool Truncate(FileHandle file, std::uint64_t length);
// Closes the file whatever it returns.
bool Close(FileHandle file);

}  // namespace vodazi::system_calls
