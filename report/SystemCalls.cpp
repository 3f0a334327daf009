#include "report/SystemCalls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace vodazi::system_calls {
namespace {

FaultHook& Hook() {
    static FaultHook hook;
    return hook;
}

// True when the hook fails this call; errno then holds its error.
bool Injected(Call call) {
    const FaultHook& hook = Hook();
    const int error = hook ? hook(call) : 0;
    if (error != 0) errno = error;
    return error != 0;
}

}  // namespace

void SetFaultHook(FaultHook hook) {
    Hook() = std::move(hook);
}

int Open(const char* path, int flags, mode_t mode) {
    return Injected(Call::Open) ? -1 : ::open(path, flags, mode);
}

int OpenUnnamed(const char* folder, int flags, mode_t mode) {
    return Injected(Call::OpenUnnamed) ? -1 : ::open(folder, flags | O_TMPFILE, mode);
}

bool Write(int fd, const void* bytes, std::size_t count) {
    if (Injected(Call::Write)) return false;
    const char* next = static_cast<const char*>(bytes);
    while (count > 0) {
        const ssize_t written = ::write(fd, next, count);
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = EIO;
        if (written <= 0) return false;
        next += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

int Sync(int fd) {
    return Injected(Call::Sync) ? -1 : ::fdatasync(fd);
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
    if (Injected(Call::CopyWrite)) return false;
    const char* next = static_cast<const char*>(bytes);
    while (count > 0) {
        const ssize_t written = ::pwrite(fd, next, count, offset);
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = EIO;
        if (written <= 0) return false;
        next += written;
        offset += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
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

}  // namespace vodazi::system_calls
