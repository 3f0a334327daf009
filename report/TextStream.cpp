#include "report/TextStream.h"

#include <cstring>
#include <system_error>

#include "report/SystemCalls.h"

namespace vodazi {
namespace {

// One buffer being written and one waiting keep the writer busy while the caller fills a
// third; more would only hold memory while the disk is the slower side.
constexpr std::size_t BuffersInFlight = 2;

}  // namespace

TextStream::TextStream(std::unique_ptr<FileReplacement> target) : target_(std::move(target)) {
    current_.resize(BufferBytes);
    try {
        writer_ = std::thread([this] { WriterLoop(); });
    } catch (const std::system_error&) {
        // The system would start no thread: Submit writes each buffer itself.
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
    char* const out = Room(text.size() + 2);
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\r';
    out[text.size() + 1] = '\n';
    Commit(text.size() + 2);
}

char* TextStream::Room(std::size_t bytes) {
    if (bytes > BufferBytes - used_) Submit();
    return current_.data() + used_;
}

// Hands the filled buffer to the writer and takes a free one, waiting while the writer is
// behind so that memory stays bounded.
void TextStream::Submit() {
    if (used_ == 0) return;
    if (!writer_.joinable()) {  // no writer thread could be started
        if (!system_calls::Write(target_->Descriptor(), current_.data(), used_))
            target_->Fail(system_calls::LastError());
        submitted_ += used_;
        used_ = 0;
        return;
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return full_.size() < BuffersInFlight || writeError_ != 0; });
    if (writeError_ != 0) target_->Fail(writeError_);
    submitted_ += used_;
    current_.resize(used_);
    full_.push_back(std::move(current_));
    if (spare_.empty()) {
        current_ = std::vector<char>();
    } else {
        current_ = std::move(spare_.back());
        spare_.pop_back();
    }
    lock.unlock();
    changed_.notify_all();
    current_.resize(BufferBytes);
    used_ = 0;
}

// Asked to stop, the writer still writes what was handed to it, then ends.
void TextStream::WriterLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !full_.empty() || stopping_; });
        if (full_.empty()) return;
        std::vector<char> buffer = std::move(full_.front());
        lock.unlock();
        int error = 0;
        if (!system_calls::Write(target_->Descriptor(), buffer.data(), buffer.size()))
            error = system_calls::LastError();
        lock.lock();
        full_.pop_front();
        if (writeError_ == 0) writeError_ = error;
        if (writeError_ != 0) full_.clear();  // nothing after a failure may reach the disk
        spare_.push_back(std::move(buffer));
        changed_.notify_all();
    }
}

void TextStream::StopWriter() noexcept {
    if (!writer_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    writer_.join();
}

void TextStream::Close() {
    Submit();
    StopWriter();
    ThrowIfFailed();
    target_->Commit(submitted_);
    finished_ = true;
}

void TextStream::Discard() noexcept {
    StopWriter();
    target_->Discard();
    finished_ = true;
}

}  // namespace vodazi
