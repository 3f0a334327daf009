#include "windows/PrimeStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vodazi {

void PrimeStore::FreeBytes::operator()(std::uint8_t* bytes) const {
    ::operator delete (bytes, std::align_val_t{alignment});
}

// A whole block lies on a huge page of its own; the smaller rooms of a first block do not.
PrimeStore::Block::Block(std::size_t items)
    : halfGaps(nullptr, FreeBytes{items == BlockItems ? BlockItems : alignof(std::max_align_t)}),
      anchors(std::make_unique_for_overwrite<std::uint32_t[]>(items / AnchorEvery)),
      capacity(items) {
    void* const bytes = ::operator new (items, std::align_val_t{halfGaps.get_deleter().alignment});
#if defined(__linux__)
    if (items == BlockItems) ::madvise(bytes, BlockItems, MADV_HUGEPAGE);  // a hint only
#endif
    halfGaps.reset(static_cast<std::uint8_t*>(bytes));
}

// Called on a full first block: twice the room, the items kept.
void PrimeStore::Block::Grow() {
    Block grown(std::min(2 * capacity, BlockItems));
    std::memcpy(grown.halfGaps.get(), halfGaps.get(), capacity);
    std::copy_n(anchors.get(), capacity / AnchorEvery, grown.anchors.get());
    *this = std::move(grown);
}

// The block that takes the item at `inBlock`, with room for a whole anchor group there.
PrimeStore::Block& PrimeStore::RoomFor(std::size_t inBlock) {
    if (inBlock == 0) blocks_.emplace_back(blocks_.empty() ? FirstItems : BlockItems);
    Block& block = blocks_.back();
    if (inBlock == block.capacity) block.Grow();
    return block;
}

void PrimeStore::Append(std::uint32_t prime) {
    const std::size_t inBlock = size_ % BlockItems;
    Block& block = RoomFor(inBlock);
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

// The same as appending one by one, but a whole anchor group of 64 at a time where the group
// lines up, with the checks folded into one test: the list of a whole-range run takes a
// hundred million primes through here.
void PrimeStore::Append(std::span<const std::uint32_t> ascending) {
    while (!ascending.empty()) {
        const std::size_t inBlock = size_ % BlockItems;
        if (inBlock % AnchorEvery != 0 || ascending.size() < AnchorEvery ||
            !AppendGroup(ascending.data())) {
            Append(ascending.front());
            ascending = ascending.subspan(1);
            continue;
        }
        ascending = ascending.subspan(AnchorEvery);
    }
}

bool PrimeStore::AppendGroup(const std::uint32_t* group) {
    std::uint8_t halfGaps[AnchorEvery];
    std::uint32_t bad = size_ > 0 && group[0] <= last_ ? 1 : 0;
    halfGaps[0] = 0;
    for (std::size_t i = 1; i < AnchorEvery; ++i) {
        const std::uint32_t gap = group[i] - group[i - 1];
        bad |= (gap & 1u) | static_cast<std::uint32_t>(gap - 2 > 2 * 0xFF - 2);
        halfGaps[i] = static_cast<std::uint8_t>(gap >> 1);
    }
    if (bad != 0) return false;  // the caller goes one by one and stops at the culprit

    const std::size_t inBlock = size_ % BlockItems;
    Block& block = RoomFor(inBlock);
    block.anchors[inBlock / AnchorEvery] = group[0];
    std::memcpy(block.halfGaps.get() + inBlock, halfGaps, AnchorEvery);
    size_ += AnchorEvery;
    last_ = group[AnchorEvery - 1];
    return true;
}

std::uint32_t PrimeStore::At(std::size_t index) const {
    if (index >= size_) throw std::out_of_range("list index");
    const Block& block = blocks_[index / BlockItems];
    const std::size_t inBlock = index % BlockItems;
    const std::size_t anchor = inBlock / AnchorEvery;
    std::uint32_t value = block.anchors[anchor];
    for (std::size_t i = anchor * AnchorEvery + 1; i <= inBlock; ++i)
        value += 2u * block.halfGaps[i];
    return value;
}

std::uint32_t PrimeStore::Anchor(std::size_t anchor) const {
    constexpr std::size_t AnchorsPerBlock = BlockItems / AnchorEvery;
    return blocks_[anchor / AnchorsPerBlock].anchors[anchor % AnchorsPerBlock];
}

std::size_t PrimeStore::LowerBound(std::uint32_t value) const {
    const std::size_t anchors = (size_ + AnchorEvery - 1) / AnchorEvery;
    // The last anchor not above `value`; the first item not below it lies in its group or
    // is the next anchor.
    std::size_t low = 0;
    std::size_t count = anchors;
    while (count > 0) {
        const std::size_t half = count / 2;
        if (Anchor(low + half) <= value) {
            low += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    if (low == 0) return 0;
    const std::size_t first = (low - 1) * AnchorEvery;
    const std::size_t end = std::min(size_, first + AnchorEvery);
    const Block& block = blocks_[first / BlockItems];
    std::uint32_t item = Anchor(low - 1);
    std::size_t index = first;
    while (item < value && ++index < end) item += 2u * block.halfGaps[index % BlockItems];
    return index;
}

}  // namespace vodazi
