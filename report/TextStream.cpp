#include "report/TextStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "report/SystemCalls.h"

namespace vodazi {
namespace {

constexpr std::size_t BuffersInFlight = 2;

std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

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
    if (!writeError_.empty()) target_->Fail(writeError_);
}

void TextStream::WriteLine(std::string_view text) {
    while (text.size() + 2 > BufferBytes - used_) {
        if (used_ == 0) {  // a line longer than a buffer: pass it on in pieces
            const std::size_t piece = std::min(text.size(), BufferBytes);
            std::memcpy(Room(piece), text.data(), piece);
            Commit(piece);
            text.remove_prefix(piece);
        }
        Submit();
    }
    char* out = current_.data() + used_;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\r';
    out[text.size() + 1] = '\n';
    used_ += text.size() + 2;
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
            target_->Fail(SystemReason(errno));
        submitted_ += static_cast<off_t>(used_);
        used_ = 0;
        return;
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return full_.size() < BuffersInFlight || !writeError_.empty(); });
    if (!writeError_.empty()) target_->Fail(writeError_);
    submitted_ += static_cast<off_t>(used_);
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

void TextStream::WriterLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !full_.empty() || stopping_; });
        if (full_.empty()) return;  // stopping, everything written
        std::vector<char> buffer = std::move(full_.front());
        lock.unlock();
        std::string error;
        if (!system_calls::Write(target_->Descriptor(), buffer.data(), buffer.size()))
            error = SystemReason(errno);
        lock.lock();
        full_.pop_front();
        if (!error.empty() && writeError_.empty()) writeError_ = error;
        if (!writeError_.empty()) full_.clear();  // nothing after a failure may reach the disk
        spare_.push_back(std::move(buffer));
        changed_.notify_all();
    }
}

void TextStream::StopWriter() noexcept {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (writer_.joinable()) writer_.join();
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
