#include "report/TextStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "calc/RunFailure.h"
#include "report/SystemCalls.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

constexpr std::size_t BuffersInFlight = 2;

std::string SystemReason(int error) { return std::generic_category().message(error); }

}  // namespace

TextStream::TextStream(std::string displayName, std::string path)
    : displayName_(std::move(displayName)), path_(std::move(path)) {
    CreateTemporary();
    try {
        current_.resize(BufferBytes);
        writer_ = std::thread([this] { WriterLoop(); });
    } catch (...) {
        Discard();
        throw;
    }
}

TextStream::~TextStream() {
    if (!finished_) Discard();
}

void TextStream::CreateTemporary() {
    const fs::path target(path_);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (unsigned attempt = 0;; ++attempt) {
        // Hidden, beside the target, so that the final rename stays within one file system.
        std::string name(".");
        name.append(target.filename().string()).append(".").append(std::to_string(attempt)).append(".part");
        const fs::path candidate = folder / name;
        // "x": create it new, never open a file someone else left there.
        file_ = std::fopen(candidate.c_str(), "wbx");
        if (file_ != nullptr) {
            temporaryPath_ = candidate.string();
            std::setvbuf(file_, nullptr, _IONBF, 0);  // whole buffers go out in one call
            return;
        }
        if (errno != EEXIST || attempt >= 1000) {
            throw RunFailure("Cannot create \"" + displayName_ + "\": " + SystemReason(errno) + ".");
        }
    }
}

[[noreturn]] void TextStream::Fail(const std::string& reason) const {
    throw RunFailure("Cannot write \"" + displayName_ + "\": " + reason + ".");
}

void TextStream::ThrowIfFailed() {
    std::lock_guard lock(mutex_);
    if (!writeError_.empty()) Fail(writeError_);
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
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return full_.size() < BuffersInFlight || !writeError_.empty(); });
    if (!writeError_.empty()) Fail(writeError_);
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
        if (system_calls::Write(file_, buffer.data(), buffer.size()) != buffer.size()) {
            error = SystemReason(errno);
        }
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
    std::FILE* file = file_;
    file_ = nullptr;
    if (system_calls::Flush(file) != 0) {
        const int error = errno;
        std::fclose(file);
        Fail(SystemReason(error));
    }
    if (system_calls::Close(file) != 0) Fail(SystemReason(errno));

    std::error_code error;
    const fs::file_status old = fs::status(path_, error);
    if (fs::is_regular_file(old)) {
        fs::permissions(temporaryPath_, old.permissions(), fs::perm_options::replace, error);
        if (error) Fail(error.message());
    }
    system_calls::Rename(temporaryPath_, path_, error);
    if (error) Fail(error.message());
    finished_ = true;
}

void TextStream::Discard() noexcept {
    StopWriter();
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporaryPath_.empty()) {
        std::error_code ignored;
        fs::remove(temporaryPath_, ignored);
    }
    finished_ = true;
}

}  // namespace vodazi
