#include "calc/PrimeChunks.h"

#include <algorithm>
#include <system_error>

#include "calc/AllowedCores.h"
#include "calc/RangeSieve.h"

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

PrimeChunks::PrimeChunks(std::uint32_t lo, std::uint32_t hi, unsigned workers)
    : lo_(lo), hi_(hi), chunkCount_(lo <= hi ? (std::uint64_t{hi} - lo) / ChunkNumbers + 1 : 0) {
    if (chunkCount_ == 0) return;
    callerSieve_ = std::make_unique<RangeSieve>();
    inline_ = workers == 0 || chunkCount_ == 1;
    if (inline_) return;
    workers = static_cast<unsigned>(std::min<std::uint64_t>(workers, chunkCount_));
    // Two slots a worker, one being filled and one ready, so that no worker waits for the
    // caller to finish a chunk; two more for the chunk the caller reads and one it sieves.
    slots_.resize(2 * static_cast<std::size_t>(workers) + 2);
    for (std::size_t i = 0; i < slots_.size(); ++i) slots_[i].chunk = i;
    try {
        for (unsigned i = 0; i < workers; ++i) workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // The system would start no more threads: the ones started and the caller, which
        // sieves whatever chunk it needs that is not ready, do the work of the others.
    } catch (...) {
        Stop();
        throw;
    }
}

PrimeChunks::~PrimeChunks() {
    Stop();
}

// A worker asked to stop finishes the chunk it is sieving, if any, and ends.
void PrimeChunks::Stop() noexcept {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    slotFree_.notify_all();
    for (std::thread& worker : workers_) worker.join();
    workers_.clear();
}

// In inline mode the chunks follow each other through one sieve, sized for the whole range;
// a worker's chunks come with gaps, so its sieve is sized for one chunk at a time.
void PrimeChunks::SieveChunk(RangeSieve& sieve, std::uint64_t chunk, PrimeBuffer& out) const {
    const std::uint64_t chunkLo = lo_ + chunk * ChunkNumbers;
    const auto chunkHi =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(hi_, chunkLo + ChunkNumbers - 1));
    out.Clear();
    sieve.Collect(static_cast<std::uint32_t>(chunkLo), chunkHi, inline_ ? hi_ : chunkHi, out);
}

void PrimeChunks::Work() {
    std::unique_ptr<RangeSieve> sieve;
    try {
        sieve = std::make_unique<RangeSieve>();
    } catch (...) {
        return;  // the caller sieves what this worker cannot
    }
    std::unique_lock lock(mutex_);
    while (!stopping_ && nextToSieve_ < chunkCount_) {
        const std::uint64_t chunk = nextToSieve_++;
        Slot& slot = slots_[chunk % slots_.size()];
        slotFree_.wait(lock, [&] { return slot.chunk == chunk || stopping_; });
        if (slot.chunk != chunk) break;
        FillSlot(*sieve, chunk, slot, lock);
        slotReady_.notify_all();
    }
}

// Sieves the chunk into its slot with the lock released, then marks the slot ready; a
// failure is kept for the caller to meet when it takes that chunk.
void PrimeChunks::FillSlot(RangeSieve& sieve, std::uint64_t chunk, Slot& slot,
                           std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    std::exception_ptr failure;
    try {
        SieveChunk(sieve, chunk, slot.primes);
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
    if (nextToSieve_ >= chunkCount_) return false;
    const std::uint64_t chunk = nextToSieve_;
    Slot& slot = slots_[chunk % slots_.size()];
    if (slot.chunk != chunk || slot.ready) return false;
    ++nextToSieve_;
    FillSlot(*callerSieve_, chunk, slot, lock);
    return true;
}

bool PrimeChunks::Next(std::span<const std::uint32_t>& primes) {
    if (nextToTake_ >= chunkCount_) return false;
    const std::uint64_t chunk = nextToTake_++;
    if (inline_) {
        SieveChunk(*callerSieve_, chunk, inlineBuffer_);
        primes = inlineBuffer_.View();
        return true;
    }

    std::unique_lock lock(mutex_);
    if (chunk > 0) {
        // The caller is done with the previous chunk: its slot may take a later one.
        Slot& previous = slots_[(chunk - 1) % slots_.size()];
        previous.ready = false;
        previous.chunk = chunk - 1 + slots_.size();
        slotFree_.notify_all();
    }
    Slot& slot = slots_[chunk % slots_.size()];
    while (!(slot.ready && slot.chunk == chunk)) {
        if (!HelpSieve(lock)) slotReady_.wait(lock);
    }
    if (slot.failure) std::rethrow_exception(slot.failure);
    primes = slot.primes.View();
    return true;
}

}  // namespace vodazi
