#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace vodazi {

// A growable array that hands out raw room to write into. Unlike std::vector it neither
// zero-fills what it reserves nor reallocates once it has grown to a chunk's size, so
// refilling it for every chunk allocates nothing and touches no page twice.
template <typename T>
class GrowingBuffer {
  public:
    void Clear() { size_ = 0; }

    // Room for at least `count` more entries after the current end.
    T* Room(std::size_t count) {
        if (size_ + count > capacity_) Grow(size_ + count);
        return data_.get() + size_;
    }
    void Commit(std::size_t count) { size_ += count; }

    // Room for at least `count` entries in all, taken at once, so that a buffer whose
    // size is known roughly grows by no copies (pages never written are never touched).
    void Reserve(std::size_t count) {
        if (count > capacity_) Reallocate(count);
    }

    std::span<const T> View() const { return {data_.get(), size_}; }

  private:
    void Grow(std::size_t needed) {
        std::size_t capacity = capacity_ == 0 ? 4096 : capacity_;
        while (capacity < needed) capacity *= 2;
        Reallocate(capacity);
    }
    void Reallocate(std::size_t capacity) {
        auto grown = std::make_unique_for_overwrite<T[]>(capacity);
        std::copy(data_.get(), data_.get() + size_, grown.get());
        data_ = std::move(grown);
        capacity_ = capacity;
    }

    std::unique_ptr<T[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// The primes of a chunk, and the lines of text made of them.
using PrimeBuffer = GrowingBuffer<std::uint32_t>;
using TextBuffer = GrowingBuffer<char>;

}  // namespace vodazi
