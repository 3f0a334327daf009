#include "windows/PrimeStore.h"

#include <stdexcept>

namespace vodazi {

void PrimeStore::Append(std::uint32_t prime) {
    const std::size_t inBlock = size_ % BlockItems;
    if (inBlock == 0) blocks_.emplace_back();
    Block& block = blocks_.back();
    if (inBlock % AnchorEvery == 0) {
        block.anchors[inBlock / AnchorEvery] = prime;
        block.halfGaps[inBlock] = 0;
    } else {
        const std::uint32_t gap = prime - last_;
        if (prime <= last_ || gap % 2 != 0 || gap / 2 > 0xFF) {
            throw std::invalid_argument("list items must be ascending odd primes");
        }
        block.halfGaps[inBlock] = static_cast<std::uint8_t>(gap / 2);
    }
    last_ = prime;
    ++size_;
}

void PrimeStore::Append(std::span<const std::uint32_t> ascending) {
    for (const std::uint32_t prime : ascending) Append(prime);
}

std::uint32_t PrimeStore::At(std::size_t index) const {
    if (index >= size_) throw std::out_of_range("list index");
    const Block& block = blocks_[index / BlockItems];
    const std::size_t inBlock = index % BlockItems;
    const std::size_t anchor = inBlock / AnchorEvery;
    std::uint32_t value = block.anchors[anchor];
    for (std::size_t i = anchor * AnchorEvery + 1; i <= inBlock; ++i) value += 2u * block.halfGaps[i];
    return value;
}

}  // namespace vodazi
