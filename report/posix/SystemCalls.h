#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <functional>

namespace vodazi::system_calls {

// The calls through which the report file reaches the file system. They exist as a seam so
// that tests can make any one of them fail the way a full or broken disk, a missing feature
// of the file system or a lost permission would. Each returns what its system call returns,
// with errno set on failure.
enum class Call {
    Open,         // an existing target, or a temporary file with a name
    OpenUnnamed,  // a temporary file without a name (O_TMPFILE)
    Write,        // the report, buffer by buffer
    Sync,         // the data of a finished file
    WriteBack,    // sends the data of a growing file to the disk, or waits until it is there
    SyncFolder,   // the folder entry after a rename
    Link,         // gives the unnamed file a name
    Rename,       // puts the new file in place of the old
    Allocate,     // reserves the space of an in-place copy
    CopyRead,     // the in-place copy, read from the finished temporary file
    CopyWrite,    // and written over the old report
    Truncate,     // cuts the old report to the new length
    SetMode,      // carries over the old report's permissions
    SetGroup,     // and its group
    ListAttributes,
    Unlink,
    Close,
    Status,      // what a name leads to (stat)
    LinkStatus,  // a name itself, a link not followed (lstat)
    FileStatus,  // an open file (fstat)
};

// Returns the errno value to fail a call with, or 0 to let it through; for Write and
// CopyWrite, once for each system call they make, EINTR or ShortCount as the system may
// answer a write. Set only while no report is being written; the hook may be called from
// the writer thread. Without a hook each call costs one test of a pointer.
constexpr int ShortCount = -1;  // the system writes only part of the bytes
using FaultHook = std::function<int(Call)>;
void SetFaultHook(FaultHook hook);

// What the platform-neutral writer needs: the open file, and the reason the last call failed.
using FileHandle = int;
inline int LastError() {
    return errno;
}

int Open(const char* path, int flags, mode_t mode);
int OpenUnnamed(const char* folder, int flags, mode_t mode);
// Writes all of `count` bytes, going on after partial and interrupted writes; false on
// failure.
bool Write(int fd, const void* bytes, std::size_t count);
int Sync(int fd);
// Starts writing the bytes at offset..offset+count to the disk, or waits until those already
// started are there (sync_file_range).
int StartWriteBack(int fd, off_t offset, off_t count);
int AwaitWriteBack(int fd, off_t offset, off_t count);
int SyncFolder(int fd);
// Links the open file `fd` under `path`.
int Link(int fd, const char* path);
int Rename(const char* from, const char* to);
int Allocate(int fd, off_t length);
ssize_t CopyRead(int fd, void* bytes, std::size_t count, off_t offset);
bool CopyWrite(int fd, const void* bytes, std::size_t count, off_t offset);
int Truncate(int fd, off_t length);
int SetMode(int fd, mode_t mode);
int SetGroup(int fd, gid_t group);
ssize_t ListAttributes(int fd, char* names, std::size_t size);
int Unlink(const char* path);
// Closes the file whatever it returns.
int Close(int fd);
int Status(const char* path, struct stat* status);
int LinkStatus(const char* path, struct stat* status);
int FileStatus(int fd, struct stat* status);

}  // namespace vodazi::system_calls
