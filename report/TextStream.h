#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <thread>
#include <vector>

#include "report/FileReplacement.h"

namespace vodazi {

// A text file being written: a writer thread puts the bytes on disk while the caller goes
// on, taking large pieces of text made elsewhere as they are, without copying them, and
// gathering single lines in a buffer of its own. The bytes go where the target's
// FileReplacement says; only Close puts them in place of the target, so a failed or
// abandoned report leaves an older file of that name untouched. Every failure, including
// one on the last write, throws RunFailure naming the file and the system's reason.
class TextStream {
  public:
    explicit TextStream(std::unique_ptr<FileReplacement> target);
    ~TextStream();
    TextStream(const TextStream&) = delete;
    TextStream& operator=(const TextStream&) = delete;

    // Writes the text, at most BufferBytes - 2 bytes, and a carriage return and line feed.
    void WriteLine(std::string_view text);

    // Writes the bytes after everything before them. They are not copied: `hold` keeps them
    // until they are written, and is dropped then, on the writer thread.
    void Write(std::span<const char> bytes, std::shared_ptr<const void> hold);

    // Puts everything on disk and the file in place of the target.
    void Close();
    // Removes what was written; the target stays as it was. Never throws.
    void Discard() noexcept;

    // The buffer that gathers single lines: a few of them in flight are nothing beside a
    // hundred-million-line report, and large enough that a write of many lines costs the
    // system little per byte.
    static constexpr std::size_t BufferBytes = std::size_t{1} << 20;

  private:
    // Bytes for the writer: either a buffer of our own lines or a piece held for its owner.
    struct Piece {
        std::span<const char> bytes;
        std::shared_ptr<const void> hold;
        std::unique_ptr<char[]> own;
    };

    void Submit();
    void Hand(Piece piece);
    bool Merge(Piece& piece);
    void WriteNow(const Piece& piece);
    void WriterLoop();
    void Written(Piece piece, int error);
    void StopWriter() noexcept;
    void ThrowIfFailed();

    std::unique_ptr<FileReplacement> target_;
    bool finished_ = false;
    std::uint64_t submitted_ = 0;  // bytes handed to the writer
    std::uint64_t fileBytes_ = 0;  // bytes in the file, counted by the thread that writes

    std::unique_ptr<char[]> current_;  // our own lines, gathered
    std::size_t used_ = 0;

    std::mutex mutex_;
    std::condition_variable queued_;              // the writer waits for work or its end
    std::condition_variable written_;             // the caller waits for a buffer of its own
    std::deque<Piece> queue_;                     // waiting for the writer, in order
    std::size_t ownInFlight_ = 0;                 // our buffers queued or being written
    std::vector<std::unique_ptr<char[]>> spare_;  // written, ready for reuse
    int writeError_ = 0;                          // the system's error number of a failed write
    bool stopping_ = false;                       // the writer ends once the queue is empty
    // A flag, not a stop token: MinGW's library ends a stop-token wait on a semaphore that can
    // miss its wake-up, leaving the writer, and Close that joins it, waiting forever.
    std::thread writer_;  // last, so that it stops before what it uses goes
};

}  // namespace vodazi
