#include "report/posix/SystemCalls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

namespace vodazi::system_calls {
namespace {

FaultHook* hook = nullptr;  // set only by tests

// The hook's answer for this call: 0, an errno value, or ShortCount.
int Fault(Call call) {
    if (hook == nullptr) [[likely]]
        return 0;
    return (*hook)(call);
}

// True when the hook fails this call; errno then holds its error.
bool Injected(Call call) {
    const int fault = Fault(call);
    if (fault > 0) errno = fault;
    return fault > 0;
}

// The most one write() of the report hands the system. Linux puts a write into the page
// cache in folios as large as the write allows, up to 2 MB; measured, writes of megabytes
// then took it up to three times as long to copy as writes of a quarter megabyte, whose
// folios are at most 128 KB. A few thousand calls more cost nothing beside that.
constexpr std::size_t LargestWrite = std::size_t{256} << 10;

// Writes all of `count` bytes through `writeSome(bytes, count, done)`, one system call of at
// most `largest` bytes at a time, going on after partial and interrupted writes.
template <typename WriteSome>
bool WriteAll(Call call, const char* bytes, std::size_t count, std::size_t largest,
              WriteSome writeSome) {
    std::size_t done = 0;
    while (done < count) {
        const int fault = Fault(call);
        const std::size_t wanted =
            std::min(largest, fault == ShortCount ? (count - done + 1) / 2 : count - done);
        ssize_t written = -1;
        if (fault > 0)
            errno = fault;
        else
            written = writeSome(bytes + done, wanted, done);
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = EIO;
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
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

int Open(const char* path, int flags, mode_t mode) {
    return Injected(Call::Open) ? -1 : ::open(path, flags, mode);
}

int OpenUnnamed(const char* folder, int flags, mode_t mode) {
    return Injected(Call::OpenUnnamed) ? -1 : ::open(folder, flags | O_TMPFILE, mode);
}

bool Write(int fd, const void* bytes, std::size_t count) {
    return WriteAll(Call::Write, static_cast<const char*>(bytes), count, LargestWrite,
                    [fd](const char* next, std::size_t wanted, std::size_t) {
                        return ::write(fd, next, wanted);
                    });
}

int Sync(int fd) {
    return Injected(Call::Sync) ? -1 : ::fdatasync(fd);
}

int StartWriteBack(int fd, off_t offset, off_t count) {
    return Injected(Call::WriteBack) ? -1
                                     : ::sync_file_range(fd, offset, count, SYNC_FILE_RANGE_WRITE);
}

int AwaitWriteBack(int fd, off_t offset, off_t count) {
    return Injected(Call::WriteBack)
               ? -1
               : ::sync_file_range(fd, offset, count, SYNC_FILE_RANGE_WAIT_BEFORE);
}

int SyncFolder(int fd) {
    return Injected(Call::SyncFolder) ? -1 : ::fsync(fd);
}

int Link(int fd, const char* path) {
    if (Injected(Call::Link)) return -1;
    // Linking an open file by descriptor needs no privilege through its /proc entry.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path, AT_SYMLINK_FOLLOW);
}

int Rename(const char* from, const char* to) {
    return Injected(Call::Rename) ? -1 : std::rename(from, to);
}

int Allocate(int fd, off_t length) {
    return Injected(Call::Allocate) ? -1 : ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, length);
}

ssize_t CopyRead(int fd, void* bytes, std::size_t count, off_t offset) {
    return Injected(Call::CopyRead) ? -1 : ::pread(fd, bytes, count, offset);
}

bool CopyWrite(int fd, const void* bytes, std::size_t count, off_t offset) {
    return WriteAll(Call::CopyWrite, static_cast<const char*>(bytes), count, count,
                    [fd, offset](const char* next, std::size_t wanted, std::size_t done) {
                        return ::pwrite(fd, next, wanted, offset + static_cast<off_t>(done));
                    });
}

int Truncate(int fd, off_t length) {
    return Injected(Call::Truncate) ? -1 : ::ftruncate(fd, length);
}

int SetMode(int fd, mode_t mode) {
    return Injected(Call::SetMode) ? -1 : ::fchmod(fd, mode);
}

int SetGroup(int fd, gid_t group) {
    return Injected(Call::SetGroup) ? -1 : ::fchown(fd, static_cast<uid_t>(-1), group);
}

ssize_t ListAttributes(int fd, char* names, std::size_t size) {
    return Injected(Call::ListAttributes) ? -1 : ::flistxattr(fd, names, size);
}

int Unlink(const char* path) {
    return Injected(Call::Unlink) ? -1 : ::unlink(path);
}

int Close(int fd) {
    const bool injected = Injected(Call::Close);
    const int error = errno;
    const int result = ::close(fd);
    if (injected) {
        errno = error;
        return -1;
    }
    return result;
}

int Status(const char* path, struct stat* status) {
    return Injected(Call::Status) ? -1 : ::stat(path, status);
}

int LinkStatus(const char* path, struct stat* status) {
    return Injected(Call::LinkStatus) ? -1 : ::lstat(path, status);
}

int FileStatus(int fd, struct stat* status) {
    return Injected(Call::FileStatus) ? -1 : ::fstat(fd, status);
}

}  // namespace vodazi::system_calls
