#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vodazi {

// The items of the result list, kept compactly: consecutive odd primes differ by an even
// number below 512, so each is stored as half its gap to the one before (one byte), with
// every 64th kept whole for random access. About 1.07 bytes per prime instead of a string
// or four bytes; blocks of fixed size grow the store without copying what it holds, past a
// first block that begins small.
class PrimeStore {
  public:
    void Append(std::uint32_t prime);
    void Append(std::span<const std::uint32_t> ascending);

    std::size_t Size() const { return size_; }
    std::uint32_t At(std::size_t index) const;
    // The index of the first item not below `value`, or Size() if there is none: a binary
    // search over the whole values, then a walk of at most 63 gaps.
    std::size_t LowerBound(std::uint32_t value) const;

  private:
    struct Block;
    Block& RoomFor(std::size_t inBlock);
    bool AppendGroup(const std::uint32_t* group);
    std::uint32_t Anchor(std::size_t anchor) const;

    static constexpr std::size_t AnchorEvery = 64;
    // One huge page of gaps per block: a hundred megabytes of list then cost fifty page
    // faults rather than twenty-five thousand, which is most of the time of filling it.
    static constexpr std::size_t BlockItems = std::size_t{1} << 21;
    // The first block begins with room for this many and doubles as it fills: a short list
    // takes a few kilobytes, not a huge page, which a short address space may not have.
    static constexpr std::size_t FirstItems = std::size_t{1} << 12;

    struct FreeBytes {
        std::size_t alignment;
        void operator()(std::uint8_t* bytes) const;
    };
    struct Block {
        explicit Block(std::size_t items);
        void Grow();
        std::unique_ptr<std::uint8_t[], FreeBytes> halfGaps;
        std::unique_ptr<std::uint32_t[]> anchors;
        std::size_t capacity;  // BlockItems, but for a first block still growing
    };

    std::vector<Block> blocks_;
    std::size_t size_ = 0;
    std::uint32_t last_ = 0;
};

}  // namespace vodazi
