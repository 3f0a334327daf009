#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "calc/PrimeBuffer.h"

namespace vodazi {

class RangeSieve;

// The primes of a range, chunk by chunk in ascending order. Worker threads sieve the chunks
// ahead into a small ring of buffers while the caller takes them in order; the ring bounds
// both the memory and how far the workers may run ahead of a slow consumer.
//
// The ring's invariant: slot c % slots_.size() belongs to chunk c from the moment the caller
// has taken chunk c - slots_.size() + 1 (so is done with chunk c - slots_.size(), the slot's
// previous chunk) until the caller is done with chunk c. Chunks are handed out to sievers in
// ascending order (nextToSieve_); a siever of chunk c waits until the slot belongs to c, fills
// it without the lock, and marks it ready. So no two chunks ever share a slot, the caller
// reads a slot only when it is ready for the chunk it wants, and at most slots_.size() chunks
// are held at once. The caller, instead of waiting, sieves the next unstarted chunk whose slot
// is free itself.
class PrimeChunks {
  public:
    // workers == 0 sieves on the caller's thread as each chunk is taken.
    PrimeChunks(std::uint32_t lo, std::uint32_t hi, unsigned workers);
    ~PrimeChunks();
    PrimeChunks(const PrimeChunks&) = delete;
    PrimeChunks& operator=(const PrimeChunks&) = delete;

    // Sets `primes` to the next chunk's primes (possibly none) and returns true, or returns
    // false after the last chunk. The view lasts until the next call.
    bool Next(std::span<const std::uint32_t>& primes);

    // Numbers per chunk: enough that starting a sieve costs little, few enough that the ring
    // of buffers stays small beside what a consumer keeps (a chunk holds at most about
    // 300,000 primes, 1.2 MB).
    static constexpr std::uint64_t ChunkNumbers = std::uint64_t{1} << 22;
    static unsigned DefaultWorkers();

  private:
    struct Slot {
        PrimeBuffer primes;
        std::uint64_t chunk = 0;  // the chunk this slot is for
        bool ready = false;
        std::exception_ptr failure;
    };

    void SieveChunk(RangeSieve& sieve, std::uint64_t chunk, PrimeBuffer& out) const;
    void Work();
    bool HelpSieve(std::unique_lock<std::mutex>& lock);
    void FillSlot(RangeSieve& sieve, std::uint64_t chunk, Slot& slot,
                  std::unique_lock<std::mutex>& lock);
    void Stop() noexcept;

    std::uint32_t lo_;
    std::uint32_t hi_;
    std::uint64_t chunkCount_;
    std::uint64_t nextToTake_ = 0;

    // The caller's own sieve: all of it in inline mode, else the chunks it helps with.
    std::unique_ptr<RangeSieve> callerSieve_;
    bool inline_ = false;
    PrimeBuffer inlineBuffer_;

    // Threaded mode.
    std::vector<Slot> slots_;
    std::uint64_t nextToSieve_ = 0;
    std::mutex mutex_;
    std::condition_variable slotReady_;
    std::condition_variable slotFree_;
    bool stopping_ = false;  // the workers end after the chunk they are sieving
    // A flag, not stop tokens: MinGW's library ends a stop-token wait on a semaphore that can
    // miss its wake-up, leaving a worker, and the caller that joins it, waiting forever.
    std::vector<std::thread> workers_;
};

}  // namespace vodazi
