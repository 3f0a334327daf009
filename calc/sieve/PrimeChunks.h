#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "calc/sieve/GrowingBuffer.h"

namespace vodazi {

class RangeSieve;

// The primes of a range, chunk by chunk in ascending order, as numbers or as the lines of a
// text file (BitmapLines). Worker threads sieve the chunks ahead into a small ring of
// buffers while the caller takes them in order; the ring bounds both the memory and how far
// the workers may run ahead of a slow consumer.
//
// Each chunk the caller takes comes with a hold on its slot: the slot goes back to the
// sievers only when the hold and all its copies are gone, which may be on another thread
// and after this object has gone, so that a consumer can hand a chunk's lines to a writer
// without copying them. The ring's invariant: slot c % slots.size() belongs to chunk c from
// the moment the hold of chunk c - slots.size() (its previous chunk) is dropped until the
// hold of chunk c is. Chunks are handed out to sievers in ascending order (nextToSieve_); a
// siever of chunk c waits until the slot belongs to c, fills it without the lock, and marks
// it ready. So no two chunks ever share a slot, the caller reads a slot only when it is
// ready for the chunk it wants, and at most slots.size() chunks are held at once. The
// caller, instead of waiting, sieves the next unstarted chunk whose slot is free itself; but
// not the lines, while a worker sieves: their consumer writes them on a thread that needs a
// core of its own, and a third busy thread on two cores slows both the sieve and the writes.
class PrimeChunks {
  public:
    enum class Form { Numbers, Lines };

    struct Chunk {
        std::span<const std::uint32_t> primes;  // in the form Numbers
        std::span<const char> lines;            // in the form Lines
        std::shared_ptr<const void> hold;
    };

    // workers == 0 sieves on the caller's thread as each chunk is taken.
    PrimeChunks(std::uint32_t lo, std::uint32_t hi, unsigned workers, Form form = Form::Numbers);
    ~PrimeChunks();
    PrimeChunks(const PrimeChunks&) = delete;
    PrimeChunks& operator=(const PrimeChunks&) = delete;

    // Drops the hold of `chunk`, then sets it to the next chunk (possibly without primes) and
    // returns true, or returns false after the last chunk.
    bool Next(Chunk& chunk);

    // Numbers per chunk: enough that starting a sieve costs little, few enough that the ring
    // of buffers stays small beside what a consumer keeps (a chunk holds at most about
    // 300,000 primes, 1.2 MB as numbers, 3 MB as lines).
    static constexpr std::uint64_t ChunkNumbers = std::uint64_t{1} << 22;
    static unsigned DefaultWorkers();

  private:
    struct Slot {
        PrimeBuffer primes;
        TextBuffer lines;
        std::uint64_t chunk = 0;  // the chunk this slot is for
        bool ready = false;
        std::exception_ptr failure;
    };
    // Shared with the holds, which may outlive this object.
    struct Ring {
        std::mutex mutex;
        std::condition_variable slotReady;
        std::condition_variable slotFree;
        std::vector<Slot> slots;
    };
    class Release;

    void SieveChunk(RangeSieve& sieve, std::uint64_t chunk, Slot& slot) const;
    void Work();
    bool HelpSieve(std::unique_lock<std::mutex>& lock);
    void FillSlot(RangeSieve& sieve, std::uint64_t chunk, Slot& slot,
                  std::unique_lock<std::mutex>& lock);
    void Stop() noexcept;

    std::uint32_t lo_;
    std::uint32_t hi_;
    Form form_;
    std::uint64_t chunkCount_;
    std::uint64_t nextToTake_ = 0;
    std::uint64_t nextToSieve_ = 0;
    bool inline_ = false;
    int sievers_ = 0;  // workers that could start sieving

    // The caller's own sieve: all of it in inline mode, else the chunks it helps with.
    std::unique_ptr<RangeSieve> callerSieve_;
    std::shared_ptr<Ring> ring_;
    bool stopping_ = false;  // under the ring's lock: the workers end after their chunk
    // A flag, not stop tokens: MinGW's library ends a stop-token wait on a semaphore that can
    // miss its wake-up, leaving a worker, and the caller that joins it, waiting forever.
    std::vector<std::thread> workers_;  // last, so that they stop before what they use goes
};

namespace detail {

// Where a test makes the sieving fail as only a lack of memory would: what these throw is
// met as a failure there. Set only while no PrimeChunks lives; the program leaves them empty.
struct SieveFaults {
    std::function<void()> makingWorkerSieve;                // before a worker makes its sieve
    std::function<void(std::uint64_t chunk)> sievingChunk;  // before a chunk is sieved
};
inline SieveFaults sieveFaults;

}  // namespace detail
}  // namespace vodazi
