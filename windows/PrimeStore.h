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
// or four bytes; blocks of fixed size grow the store without copying what it holds.
class PrimeStore {
public:
    void Append(std::uint32_t prime);
    void Append(std::span<const std::uint32_t> ascending);

    std::size_t Size() const { return size_; }
    std::uint32_t At(std::size_t index) const;

private:
    static constexpr std::size_t AnchorEvery = 64;
    static constexpr std::size_t BlockItems = std::size_t{1} << 20;

    struct Block {
        std::unique_ptr<std::uint8_t[]> halfGaps = std::make_unique_for_overwrite<std::uint8_t[]>(BlockItems);
        std::unique_ptr<std::uint32_t[]> anchors =
            std::make_unique_for_overwrite<std::uint32_t[]>(BlockItems / AnchorEvery);
    };

    std::vector<Block> blocks_;
    std::size_t size_ = 0;
    std::uint32_t last_ = 0;
};

}  // namespace vodazi
