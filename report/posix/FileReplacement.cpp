#include "report/posix/FileReplacement.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <vector>

#include "calc/RunFailure.h"
#include "calc/UserTexts.h"
#include "report/posix/NameResolution.h"
#include "report/posix/SystemCalls.h"
#include "report/posix/TemporaryNameCleanup.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

constexpr int ShortNameAttempts = 100;
constexpr std::size_t CopyBytes = std::size_t{1} << 20;
constexpr std::uint64_t WriteBackLag = std::uint64_t{8} << 20;

std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

// A hidden name of fixed length, whatever the target's, so that every name the file system
// accepts can be written.
std::string ShortName() {
    static unsigned counter = 0;
    const auto now =
        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    const unsigned mixed =
        (now * 2654435761u) ^ (static_cast<unsigned>(::getpid()) << 16) ^ ++counter;
    char name[20];
    std::snprintf(name, sizeof name, ".vodazi-%08x", mixed);
    return name;
}

// A write past the user's file-size limit (ulimit -f) would end the program by SIGXFSZ;
// ignored, the write fails with EFBIG and is told ("File too large") as a full disk is. A
// program that handles the signal itself stays in charge.
void FailWritesPastTheSizeLimit() noexcept {
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        ::signal(SIGXFSZ, SIG_IGN);
    }
}

bool UnnamedFilesUnsupported(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Attributes a new file would not carry: ACLs, user attributes. The security label is given
// to every new file by the system and does not count.
bool HasExtendedAttributes(int fd) {
    const ssize_t size = system_calls::ListAttributes(fd, nullptr, 0);
    if (size == 0 || (size < 0 && errno == EOPNOTSUPP)) return false;
    if (size < 0) return true;  // unknown: keep the file as it is
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = system_calls::ListAttributes(fd, names.data(), names.size());
    if (got < 0) return true;
    for (std::size_t at = 0; at < static_cast<std::size_t>(got);
         at += std::strlen(names.data() + at) + 1) {
        if (std::strcmp(names.data() + at, "security.selinux") != 0) return true;
    }
    return false;
}

// The folder that holds `target`, absolute where the working folder can be named. Where it
// cannot (it was removed), a relative name leads to the same folder, since the program never
// changes its working folder; what fails there is told when the file is created.
fs::path FolderOf(const fs::path& target) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code error;
    fs::path absolute = fs::absolute(folder, error);
    return error ? folder : absolute;
}

}  // namespace

FileReplacement::FileReplacement(std::string displayName, const fs::path& path)
    : displayName_(std::move(displayName)) {
    FailWritesPastTheSizeLimit();
    const ResolvedName resolved = ResolveName(path);
    target_ = resolved.path;
    createName_ = target_.string() == path.string() ? displayName_ : target_.string();
    folder_ = FolderOf(target_);
    try {
        if (resolved.error != 0) Fail(resolved.error);
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
    struct stat old {};
    if (system_calls::Status(target_.c_str(), &old) != 0) {
        if (errno != ENOENT) Fail(errno);
        way_ = Way::NewFile;
        temporary_ = CreateTemporary(folder_);
        if (temporary_ < 0)
            throw RunFailure(texts::CannotCreateMessage(createName_, SystemReason(errno)));
        return;
    }
    if (!S_ISREG(old.st_mode)) Fail(texts::NotARegularFileReason);
    const Trust trust = TrustOf(target_, old.st_uid);
    if (trust != Trust::Trusted) Fail(trust == Trust::Planted ? EACCES : errno);
    // Opening it for writing asks the system what this user may do to the file, whatever its
    // mode bits say; a file that could not be overwritten is not replaced either.
    targetFile_ =
        system_calls::Open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0);
    if (targetFile_ < 0 || system_calls::FileStatus(targetFile_, &old) != 0) Fail(errno);
    if (!S_ISREG(old.st_mode)) Fail(texts::NotARegularFileReason);
    PrepareReplacement(old);
}

void FileReplacement::PrepareReplacement(const struct stat& old) {
    if (KeepsWhatTheFileIs(old)) {
        temporary_ = CreateTemporary(folder_);
        if (temporary_ >= 0 && TakesOverModeAndGroup(old)) {
            way_ = Way::Rename;
            system_calls::Close(targetFile_);
            targetFile_ = -1;
            return;
        }
        CloseTemporary();
    }
    way_ = Way::InPlace;
    temporary_ = CreateTemporary(folder_);
    if (temporary_ < 0) {
        const int error = errno;
        temporary_ = CreateTemporary(fs::temp_directory_path());
        if (temporary_ < 0) Fail(error);
    }
    RemoveTemporaryName();  // the copy reads it through its descriptor
}

// A rename keeps the file what it was only for a plain file of the user's own.
bool FileReplacement::KeepsWhatTheFileIs(const struct stat& old) const {
    return old.st_nlink == 1 && old.st_uid == ::geteuid() && !HasExtendedAttributes(targetFile_);
}

// A file system that keeps no permissions (FAT, exFAT) refuses to set them on the user's
// own new file with EPERM; it has none to lose, and the rename stays the safe way there.
bool FileReplacement::TakesOverModeAndGroup(const struct stat& old) const {
    struct stat fresh {};
    if (system_calls::FileStatus(temporary_, &fresh) != 0) return false;
    const bool groupKept =
        fresh.st_gid == old.st_gid || system_calls::SetGroup(temporary_, old.st_gid) == 0;
    if (!groupKept && errno != EPERM) return false;
    if (system_calls::SetMode(temporary_, old.st_mode & 07777) != 0) return errno == EPERM;
    return groupKept;  // a group the user may not give stays the old file's in place
}

// A new file in `folder`, without a name where the file system allows; -1 with errno set
// when none can be created there.
int FileReplacement::CreateTemporary(const fs::path& folder) {
    const int unnamed = system_calls::OpenUnnamed(folder.c_str(), O_RDWR | O_CLOEXEC, 0666);
    if (unnamed >= 0 || !UnnamedFilesUnsupported(errno)) return unnamed;
    for (int attempt = 0; attempt < ShortNameAttempts; ++attempt) {
        const fs::path name = folder / ShortName();
        RemoveOnTermination(name.c_str());  // before the file exists, so it never lacks clean-up
        const int named =
            system_calls::Open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (named >= 0) {
            temporaryName_ = name.string();
            return named;
        }
        KeepOnTermination();
        if (errno != EEXIST) return -1;
    }
    return -1;
}

void FileReplacement::CloseTemporary() noexcept {
    if (temporary_ >= 0) system_calls::Close(temporary_);
    temporary_ = -1;
    RemoveTemporaryName();
}

// The open file lives on without its name. A name the system would not remove now stays
// kept, to be tried again when the file is closed and when the program ends.
void FileReplacement::RemoveTemporaryName() noexcept {
    if (temporaryName_.empty()) return;
    if (system_calls::Unlink(temporaryName_.c_str()) != 0 && errno != ENOENT) return;
    KeepOnTermination();
    temporaryName_.clear();
}

// A report that replaces another waits at Commit until its data is on the disk. Sent there
// while the rest is still being made, little is left to wait for then; and the writer, which
// waits for the data that lies WriteBackLag behind, goes no faster than the disk, so that
// the data never piles up unwritten. A wait that fails takes the file's error with it, which
// the sync at Commit would no longer see: every failure is told, but for a file system that
// has no such call, whose data simply waits for the sync.
int FileReplacement::Written(std::uint64_t offset, std::size_t bytes) noexcept {
    if (way_ != Way::Rename || !writesBack_) return 0;
    const std::uint64_t end = offset + bytes;
    int result = system_calls::StartWriteBack(temporary_, static_cast<off_t>(offset),
                                              static_cast<off_t>(bytes));
    if (result == 0 && end > awaited_ + WriteBackLag) {
        result = system_calls::AwaitWriteBack(temporary_, static_cast<off_t>(awaited_),
                                              static_cast<off_t>(end - WriteBackLag - awaited_));
        awaited_ = end - WriteBackLag;
    }
    if (result == 0) return 0;
    if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == ESPIPE) {
        writesBack_ = false;
        return 0;
    }
    return errno;
}

void FileReplacement::Commit(std::uint64_t length) {
    switch (way_) {
        case Way::NewFile:
            Publish(false);
            break;
        case Way::Rename:
            // On disk before it replaces anything: a crash then leaves the old report or the new.
            if (system_calls::Sync(temporary_) != 0) Fail(errno);
            Publish(true);
            break;
        case Way::InPlace:
            CopyOver(static_cast<off_t>(length));
            break;
    }
    Discard();
}

void FileReplacement::Publish(bool replacing) {
    if (temporaryName_.empty()) {
        if (!replacing) {
            if (system_calls::Link(temporary_, target_.c_str()) != 0) Fail(errno);
            return;
        }
        LinkUnderShortName();  // rename cannot replace a file by one without a name
    }
    if (system_calls::Rename(temporaryName_.c_str(), target_.c_str()) != 0) Fail(errno);
    temporaryName_.clear();
    KeepOnTermination();
    if (replacing) SyncFolder();
}

void FileReplacement::LinkUnderShortName() {
    for (int attempt = 0; attempt < ShortNameAttempts; ++attempt) {
        const fs::path name = folder_ / ShortName();
        RemoveOnTermination(name.c_str());
        if (system_calls::Link(temporary_, name.c_str()) == 0) {
            temporaryName_ = name.string();
            return;
        }
        KeepOnTermination();
        if (errno != EEXIST) break;
    }
    Fail(errno);
}

// Called once the new report holds the target's name, the point after which the report is
// written: its data is on the disk, and a crash before the folder reaches it brings back the
// old report whole. A folder the file system cannot open or sync (some network and FUSE file
// systems refuse) is therefore no failure to write the report, and is not told as one.
void FileReplacement::SyncFolder() const noexcept {
    const int folder = system_calls::Open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (folder < 0) return;
    system_calls::SyncFolder(folder);
    system_calls::Close(folder);
}

// Everything that can be foreseen is checked before the first byte of the old report
// changes: the new report is complete, and the space it needs is reserved.
void FileReplacement::CopyOver(off_t length) {
    if (system_calls::Allocate(targetFile_, length) != 0 && errno != EOPNOTSUPP) Fail(errno);
    std::vector<char> buffer(CopyBytes);
    for (off_t done = 0; done < length;) {
        const auto wanted =
            static_cast<std::size_t>(std::min<off_t>(length - done, static_cast<off_t>(CopyBytes)));
        const ssize_t got = system_calls::CopyRead(temporary_, buffer.data(), wanted, done);
        if (got <= 0) Fail(got == 0 ? EIO : errno);
        overwriting_ = true;
        if (!system_calls::CopyWrite(targetFile_, buffer.data(), static_cast<std::size_t>(got),
                                     done)) {
            Fail(errno);
        }
        done += got;
    }
    if (system_calls::Truncate(targetFile_, length) != 0 || system_calls::Sync(targetFile_) != 0) {
        Fail(errno);
    }
}

void FileReplacement::Discard() noexcept {
    CloseTemporary();
    if (targetFile_ >= 0) system_calls::Close(targetFile_);
    targetFile_ = -1;
}

}  // namespace vodazi
