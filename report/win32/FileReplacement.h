#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "report/win32/SystemCalls.h"

namespace vodazi {

// Where the bytes of a new report go, and how they take the place of the file it names.
// Until Commit, an older file stays exactly as it was.
//
// The new report is built in a hidden file beside its target that the system deletes when
// its handle closes, so that nothing is left behind however the program ends. Then, either
// - a new file is renamed into place; or
// - a file of the user's own with one link is replaced (ReplaceFileW, which keeps its
//   attributes, security and streams), after the new data has reached the disk; or
// - any other file (more links, another owner, a link of the file system, or a folder the
//   user may not create files in) is overwritten in place: its space is reserved first, then
//   the finished report is copied over it and it is cut to the new length.
class FileReplacement {
  public:
    // displayName is the name as the user typed it, for messages; path the name to write.
    // Throws RunFailure when that file can neither be written nor created.
    FileReplacement(std::string displayName, const std::filesystem::path& path);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // The new report, to be written from its start.
    system_calls::FileHandle Descriptor() const { return temporary_; }
    // Told of the bytes written at `offset`, from the thread that wrote them, in order;
    // returns 0, or an error code. Nothing to do here: the data reaches the disk at Commit.
    int Written(std::uint64_t, std::size_t) noexcept { return 0; }
    // Puts the first `length` bytes written in place of the target; throws RunFailure.
    // The rename or replacement is the point of no return: every failure before it leaves
    // the old file as it was. Once the in-place copy over the old file has begun, a failure
    // is told with the old report damaged.
    void Commit(std::uint64_t length);
    // Drops the new report; the target stays as it was. Never throws.
    void Discard() noexcept;

  private:
    // The stream that writes the report fails through it too, with the error of a write.
    friend class TextStream;

    enum class Way { NewFile, Replace, InPlace };

    // Drops the new report and throws RunFailure with the system's reason for `error`.
    [[noreturn]] void Fail(int error);
    [[noreturn]] void Fail(const std::string& reason);
    void Prepare();
    bool KeepsWhatTheFileIs() const;
    system_calls::FileHandle CreateTemporary(const std::filesystem::path& folder);
    void CloseTemporary() noexcept;
    void Publish();
    void ReplaceTarget();
    void CopyOver(std::uint64_t length);

    std::string displayName_;
    std::filesystem::path target_;
    std::filesystem::path folder_;
    Way way_ = Way::NewFile;
    system_calls::FileHandle temporary_ = nullptr;
    std::filesystem::path temporaryName_;
    bool deletedOnClose_ = false;                    // the temporary file goes when closed
    system_calls::FileHandle targetFile_ = nullptr;  // the old report, open for writing
    bool overwriting_ = false;                       // the copy over the old report has begun
};

}  // namespace vodazi
