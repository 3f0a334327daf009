#include "calc/sieve/PrimeChunks.h"

#include <algorithm>
#include <system_error>

#include "calc/sieve/AllowedCores.h"
#include "calc/sieve/BitmapLines.h"
#include "calc/sieve/RangeSieve.h"
#include "calc/sieve/Wheel30.h"

namespace vodazi {

// The caller sieves too while it waits, so one core is left to it. The cores are those this
// process may run on, which taskset or a container can make fewer than the machine has; on a
// single core a worker would only add its restarts and switches. At most seven workers: the
// caller hands the primes on in order on one thread, and past eight sievers it, not the
// sieving, sets the pace while each worker still costs its ring slots. Asked once, since a
// short scan sieves in less time than it takes to ask.
unsigned PrimeChunks::DefaultWorkers() {
    static const unsigned workers = [] {
        unsigned cores = AllowedCores();
        if (cores == 0) cores = std::thread::hardware_concurrency();
        return std::clamp(cores, 1u, 8u) - 1;
    }();
    return workers;
}

// Gives a chunk's slot back to the sievers when the last copy of its hold goes.
class PrimeChunks::Release {
  public:
    Release(std::shared_ptr<Ring> ring, std::size_t slot) : ring_(std::move(ring)), slot_(slot) {}
    void operator()(const void*) const noexcept {
        {
            std::lock_guard lock(ring_->mutex);
            Slot& slot = ring_->slots[slot_];
            slot.ready = false;
            slot.chunk += ring_->slots.size();
        }
        ring_->slotFree.notify_all();
        ring_->slotReady.notify_all();  // the caller may sieve into it instead of waiting
    }

  private:
    std::shared_ptr<Ring> ring_;
    std::size_t slot_;
};

PrimeChunks::PrimeChunks(std::uint32_t lo, std::uint32_t hi, unsigned workers, Form form)
    : lo_(lo),
      hi_(hi),
      form_(form),
      chunkCount_(lo <= hi ? (std::uint64_t{hi} - lo) / ChunkNumbers + 1 : 0) {
    if (chunkCount_ == 0) return;
    callerSieve_ = std::make_unique<RangeSieve>();
    ring_ = std::make_shared<Ring>();
    inline_ = workers == 0 || chunkCount_ == 1;
    workers = inline_ ? 0 : static_cast<unsigned>(std::min<std::uint64_t>(workers, chunkCount_));
    // Two slots a worker, one being filled and one ready, so that no worker waits for the
    // caller to finish a chunk; two more for the chunk the caller reads and one it sieves.
    // Inline, the numbers need one slot, which stays in the cache from chunk to chunk, as
    // the caller is done with a chunk's numbers when it asks for the next; lines need a
    // second, for the chunk a writer may still hold.
    const std::size_t inlineSlots = form_ == Form::Numbers ? 1 : 2;
    ring_->slots.resize(inline_ ? inlineSlots : 2 * static_cast<std::size_t>(workers) + 2);
    for (std::size_t i = 0; i < ring_->slots.size(); ++i) ring_->slots[i].chunk = i;
    try {
        for (unsigned i = 0; i < workers; ++i) workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // The system would start no more threads: the ones started and the caller, which
        // sieves whatever chunk it needs that is not ready, do the work of the others.
    } catch (...) {
        Stop();
        throw;
    }
    std::lock_guard lock(ring_->mutex);
    sievers_ += static_cast<int>(workers_.size());  // less any that failed already
}

PrimeChunks::~PrimeChunks() {
    Stop();
}

// A worker asked to stop finishes the chunk it is sieving, if any, and ends.
void PrimeChunks::Stop() noexcept {
    if (workers_.empty()) return;
    {
        std::lock_guard lock(ring_->mutex);
        stopping_ = true;
    }
    ring_->slotFree.notify_all();
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
}

// A chunk's lines take about 2.4 MB wherever it lies: fewer primes of more digits up high.
// Reserved at once, or as much as a short range's odd numbers can fill, a slot's buffer is
// allocated once and grows by no copies.
constexpr std::size_t LinesBytes = PrimeChunks::ChunkNumbers / 4 * 3;

// A worker sieves each of its chunks as one segment: a chunk's bitmap bytes, even where it
// starts and ends inside a byte, are no more than a segment may take.
static_assert(PrimeChunks::ChunkNumbers / wheel::NumbersPerByte + 2 <=
              RangeSieve::LongestSegmentBytes);

// In inline mode the chunks follow each other through one sieve, sized for the whole range;
// a worker's chunks come with gaps, so its sieve is sized for one chunk at a time.
void PrimeChunks::SieveChunk(RangeSieve& sieve, std::uint64_t chunk, Slot& slot) const {
    if (detail::sieveFaults.sievingChunk) detail::sieveFaults.sievingChunk(chunk);
    const std::uint64_t chunkLo = lo_ + chunk * ChunkNumbers;
    const auto chunkHi =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(hi_, chunkLo + ChunkNumbers - 1));
    const std::uint32_t sieveUpTo = inline_ ? hi_ : chunkHi;
    if (form_ == Form::Numbers) {
        slot.primes.Clear();
        sieve.Collect(static_cast<std::uint32_t>(chunkLo), chunkHi, sieveUpTo, slot.primes);
    } else {
        slot.lines.Clear();
        const std::uint64_t odd = (chunkHi - chunkLo) / 2 + 2;  // and 2, which is even
        slot.lines.Reserve(std::min<std::uint64_t>(LinesBytes, odd * LongestLine));
        sieve.Collect(static_cast<std::uint32_t>(chunkLo), chunkHi, sieveUpTo, slot.lines);
    }
}

void PrimeChunks::Work() {
    std::unique_ptr<RangeSieve> sieve;
    try {
        if (detail::sieveFaults.makingWorkerSieve) detail::sieveFaults.makingWorkerSieve();
        sieve = std::make_unique<RangeSieve>();
    } catch (...) {
        sieve.reset();
    }
    std::unique_lock lock(ring_->mutex);
    if (!sieve) {  // the caller sieves what this worker cannot
        --sievers_;
        ring_->slotReady.notify_all();
        return;
    }
    while (!stopping_ && nextToSieve_ < chunkCount_) {
        const std::uint64_t chunk = nextToSieve_++;
        Slot& slot = ring_->slots[chunk % ring_->slots.size()];
        ring_->slotFree.wait(lock, [&] { return slot.chunk == chunk || stopping_; });
        if (slot.chunk != chunk) break;
        FillSlot(*sieve, chunk, slot, lock);
        ring_->slotReady.notify_all();
    }
}

// Sieves the chunk into its slot with the lock released, then marks the slot ready; a
// failure is kept for the caller to meet when it takes that chunk.
void PrimeChunks::FillSlot(RangeSieve& sieve, std::uint64_t chunk, Slot& slot,
                           std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    std::exception_ptr failure;
    try {
        SieveChunk(sieve, chunk, slot);
    } catch (...) {
        failure = std::current_exception();
    }
    lock.lock();
    slot.failure = failure;
    slot.ready = true;
}

// Instead of waiting idle, the caller sieves the next chunk nobody has started, if its slot
// is free; so a consumer with little to do per prime adds a core to the sieving.
bool PrimeChunks::HelpSieve(std::unique_lock<std::mutex>& lock) {
    if (nextToSieve_ >= chunkCount_ || (form_ == Form::Lines && sievers_ > 0)) return false;
    const std::uint64_t chunk = nextToSieve_;
    Slot& slot = ring_->slots[chunk % ring_->slots.size()];
    if (slot.chunk != chunk || slot.ready) return false;
    ++nextToSieve_;
    FillSlot(*callerSieve_, chunk, slot, lock);
    return true;
}

bool PrimeChunks::Next(Chunk& chunk) {
    chunk = Chunk{};
    if (nextToTake_ >= chunkCount_) return false;
    const std::uint64_t taken = nextToTake_++;
    const std::size_t index = taken % ring_->slots.size();
    Slot& slot = ring_->slots[index];
    {
        std::unique_lock lock(ring_->mutex);
        while (!(slot.ready && slot.chunk == taken)) {
            if (!HelpSieve(lock)) ring_->slotReady.wait(lock);
        }
    }
    if (slot.failure) std::rethrow_exception(slot.failure);
    chunk.primes = slot.primes.View();
    chunk.lines = slot.lines.View();
    chunk.hold = std::shared_ptr<const void>(&slot, Release(ring_, index));
    return true;
}

}  // namespace vodazi
