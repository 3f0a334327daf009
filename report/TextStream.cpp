#include "report/TextStream.h"

#include <cassert>
#include <cstring>
#include <system_error>

#include "report/SystemCalls.h"

namespace vodazi {
namespace {

// One buffer of our own being written and one waiting keep the writer busy while the caller
// fills a third; more would only hold memory while the disk is the slower side.
constexpr std::size_t BuffersInFlight = 2;

}  // namespace

TextStream::TextStream(std::unique_ptr<FileReplacement> target)
    : target_(std::move(target)), current_(std::make_unique_for_overwrite<char[]>(BufferBytes)) {
    try {
        writer_ = std::thread([this] { WriterLoop(); });
    } catch (const std::system_error&) {
        // The system would start no thread: every piece is written as it comes.
    }
}

TextStream::~TextStream() {
    if (!finished_) Discard();
}

void TextStream::ThrowIfFailed() {
    std::lock_guard lock(mutex_);
    if (writeError_ != 0) target_->Fail(writeError_);
}

void TextStream::WriteLine(std::string_view text) {
    assert(text.size() + 2 <= BufferBytes);  // else even an empty buffer could not take it
    if (text.size() + 2 > BufferBytes - used_) Submit();
    char* const out = current_.get() + used_;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\r';
    out[text.size() + 1] = '\n';
    used_ += text.size() + 2;
}

void TextStream::Write(std::span<const char> bytes, std::shared_ptr<const void> hold) {
    if (bytes.empty()) return;
    Submit();  // the lines before
    Hand(Piece{bytes, std::move(hold), nullptr});
}

// Hands the gathered lines on and takes a free buffer, waiting while the writer is behind
// so that memory stays bounded.
void TextStream::Submit() {
    if (used_ == 0) return;
    const std::span<const char> lines(current_.get(), used_);
    used_ = 0;
    if (!writer_.joinable()) {
        Hand(Piece{lines, nullptr, nullptr});
        return;
    }
    std::unique_ptr<char[]> next;
    {
        std::unique_lock lock(mutex_);
        written_.wait(lock, [this] { return ownInFlight_ < BuffersInFlight || writeError_ != 0; });
        if (writeError_ != 0) target_->Fail(writeError_);
        ++ownInFlight_;
        if (!spare_.empty()) {
            next = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    std::unique_ptr<char[]> full = std::move(current_);
    current_ = next ? std::move(next) : std::make_unique_for_overwrite<char[]>(BufferBytes);
    Hand(Piece{lines, nullptr, std::move(full)});
}

// Queues the piece for the writer, waking it only if it may be waiting; without a writer
// thread, writes it at once.
void TextStream::Hand(Piece piece) {
    submitted_ += piece.bytes.size();
    if (!writer_.joinable()) {
        WriteNow(piece);
        return;
    }
    std::unique_lock lock(mutex_);
    if (writeError_ != 0) target_->Fail(writeError_);
    const bool idle = queue_.empty();
    if (!Merge(piece)) queue_.push_back(std::move(piece));
    lock.unlock();
    if (idle) queued_.notify_one();
}

// A piece that goes on where the last queued one ends, from the same owner, joins it: the
// lines of a chunk, cut where the progress moves, become one write again.
bool TextStream::Merge(Piece& piece) {
    if (queue_.empty() || piece.own) return false;
    Piece& last = queue_.back();
    if (last.own || last.hold != piece.hold ||
        last.bytes.data() + last.bytes.size() != piece.bytes.data()) {
        return false;
    }
    last.bytes = std::span<const char>(last.bytes.data(), last.bytes.size() + piece.bytes.size());
    return true;
}

void TextStream::WriteNow(const Piece& piece) {
    if (!system_calls::Write(target_->Descriptor(), piece.bytes.data(), piece.bytes.size()))
        target_->Fail(system_calls::LastError());
    if (const int error = target_->Written(fileBytes_, piece.bytes.size())) target_->Fail(error);
    fileBytes_ += piece.bytes.size();
}

// Asked to stop, the writer still writes what was handed to it, then ends.
void TextStream::WriterLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return !queue_.empty() || stopping_; });
        if (queue_.empty()) return;
        Piece piece = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        int error = 0;
        if (system_calls::Write(target_->Descriptor(), piece.bytes.data(), piece.bytes.size())) {
            error = target_->Written(fileBytes_, piece.bytes.size());
            fileBytes_ += piece.bytes.size();
        } else {
            error = system_calls::LastError();
        }
        Written(std::move(piece), error);
        lock.lock();
    }
}

// The piece goes back to its owner; after a failure nothing more may reach the disk.
void TextStream::Written(Piece piece, int error) {
    piece.hold.reset();
    std::deque<Piece> dropped;
    {
        std::lock_guard lock(mutex_);
        if (writeError_ == 0) writeError_ = error;
        if (writeError_ != 0) dropped.swap(queue_);
        for (Piece& gone : dropped) ownInFlight_ -= gone.own ? 1 : 0;
        if (piece.own) {
            spare_.push_back(std::move(piece.own));
            --ownInFlight_;
        }
    }
    if (piece.own || error != 0) written_.notify_all();
}

void TextStream::StopWriter() noexcept {
    if (!writer_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_all();
    writer_.join();
}

void TextStream::Close() {
    Submit();
    StopWriter();
    ThrowIfFailed();
    target_->Commit(submitted_);
    finished_ = true;
}

// What is still queued is dropped unwritten.
void TextStream::Discard() noexcept {
    std::deque<Piece> dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(queue_);
    }
    StopWriter();
    target_->Discard();
    finished_ = true;
}

}  // namespace vodazi
