#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "report/FileReplacement.h"

namespace vodazi {

// A text file being written: lines go into large buffers that a writer thread puts on disk
// while the caller fills the next one. The bytes go where the target's FileReplacement
// says; only Close puts them in place of the target, so a failed or abandoned report leaves
// an older file of that name untouched. Every failure, including one on the last write,
// throws RunFailure naming the file and the system's reason.
class TextStream {
  public:
    explicit TextStream(std::unique_ptr<FileReplacement> target);
    ~TextStream();
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;

    // Writes the text, at most BufferBytes - 2 bytes, and a carriage return and line feed.
    void WriteLine(std::string_view text);

    // Room for `bytes` more bytes (at most BufferBytes) to format into, then Commit what was
    // used: lets a caller write many lines without a call per line.
    char* Room(std::size_t bytes);
    void Commit(std::size_t bytes) { used_ += bytes; }

    // Puts everything on disk and the file in place of the target.
    void Close();
    // Removes what was written; the target stays as it was. Never throws.
    void Discard() noexcept;

    // Large enough that a write costs the system little per byte, small enough that the
    // buffers in flight are a few megabytes beside a hundred-million-line report.
    static constexpr std::size_t BufferBytes = std::size_t{1} << 20;

  private:
    void Submit();
    void WriterLoop();
    void StopWriter() noexcept;
    void ThrowIfFailed();

    std::unique_ptr<FileReplacement> target_;
    bool finished_ = false;
    std::uint64_t submitted_ = 0;  // bytes handed to the writer

    std::vector<char> current_;
    std::size_t used_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<char>> full_;    // waiting for the writer, in order
    std::vector<std::vector<char>> spare_;  // written, ready for reuse
    int writeError_ = 0;                    // the system's error number of a failed write
    bool stopping_ = false;                 // the writer ends once full_ is written
    // A flag, not a stop token: MinGW's library ends a stop-token wait on a semaphore that
    // can miss its wake-up, leaving the writer, and the Close that joins it, waiting forever.
    std::thread writer_;
};

}  // namespace vodazi
