#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace vodazi {

// Where the bytes of a new report go, and how they take the place of the file it names.
// A symbolic link stands for the file it points to, even one that does not exist yet; the
// link itself is never replaced. A link or a file that another user put in a shared sticky
// folder is refused, as the system refuses it. Until Commit, an older file stays exactly as
// it was.
//
// The new report is built in a temporary file without a name (O_TMPFILE), so that nothing
// is left behind however the program ends; where the file system has none, under a short
// name of fixed length that TemporaryNameCleanup removes on every exit that runs code.
// Then, either
// - a new file is linked into place; or
// - a plain file of the user's own with one link is replaced by a rename, after the new
//   data has reached the disk, keeping its permissions and group (where the file system
//   keeps any); or
// - any other file (more links, another owner, extended attributes or ACLs, or a folder the
//   user may not write) is overwritten in place: its space is reserved first, then the
//   finished report is copied over it and it is cut to the new length. Its temporary file
//   loses any name as soon as it is open.
class FileReplacement {
  public:
    // displayName is the name as the user typed it, for messages; path the name to write.
    // Throws RunFailure when that file can neither be written nor created.
    FileReplacement(std::string displayName, const std::filesystem::path& path);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // The new report, to be written from its start.
    int Descriptor() const { return temporary_; }
    // Told of the bytes written at `offset`, from the thread that wrote them, in order;
    // returns 0, or the system's error number when they cannot reach the disk.
    int Written(std::uint64_t offset, std::size_t bytes) noexcept;
    // Puts the first `length` bytes written in place of the target; throws RunFailure.
    // The link or rename that gives the new report the target's name is the point of no
    // return: every failure before it leaves the old file as it was, and nothing after it is
    // a failure to write the report. The in-place way has no such point; once its copy over
    // the old file has begun, a failure is told with the old report damaged.
    void Commit(std::uint64_t length);
    // Drops the new report; the target stays as it was. Never throws.
    void Discard() noexcept;

  private:
    // The stream that writes the report fails through it too, with the error of a write.
    friend class TextStream;

    enum class Way { NewFile, Rename, InPlace };

    // Drops the new report and throws RunFailure with the system's reason for `error`.
    [[noreturn]] void Fail(int error);
    [[noreturn]] void Fail(const std::string& reason);
    void Prepare();
    void PrepareReplacement(const struct stat& old);
    bool KeepsWhatTheFileIs(const struct stat& old) const;
    bool TakesOverModeAndGroup(const struct stat& old) const;
    int CreateTemporary(const std::filesystem::path& folder);
    void CloseTemporary() noexcept;
    void RemoveTemporaryName() noexcept;
    void Publish(bool replacing);
    void LinkUnderShortName();
    void SyncFolder() const noexcept;
    void CopyOver(off_t length);

    std::string displayName_;
    std::filesystem::path target_;  // the file the name stands for
    std::filesystem::path folder_;
    std::string createName_;  // the name a failure to create the file is told with
    Way way_ = Way::NewFile;
    int temporary_ = -1;
    std::string temporaryName_;  // empty while the temporary file has no name
    int targetFile_ = -1;        // the old report, open for writing
    bool overwriting_ = false;   // the copy over the old report has begun
    // Written's, on the writer thread: whether the file system sends data early, and how
    // far it has been waited for.
    bool writesBack_ = true;
    std::uint64_t awaited_ = 0;
};

}  // namespace vodazi
