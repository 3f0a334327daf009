#pragma once

namespace vodazi {

// When the system refuses a thread the toolkit asks for, the toolkit says no more than a
// warning and may then wait for that thread for good: the accessibility bridge for the bus
// connection's thread to answer, a fill for a painting thread to take its part. While a watch
// is active, such a refusal ends the program at once with one line on standard error that
// says why (texts::ThreadRefusedLine), and exit status 3; only the refusals it was told to
// spare pass, as warnings.
class ThreadRefusalWatch {
  public:
    ThreadRefusalWatch();
    ~ThreadRefusalWatch();
    ThreadRefusalWatch(const ThreadRefusalWatch&) = delete;
    ThreadRefusalWatch& operator=(const ThreadRefusalWatch&) = delete;

    // The next `count` refusals are of threads the program can do without.
    void Spare(int count);
    // Stops watching; the handler found at construction is back.
    void Release();
};

// Asks for the threads the toolkit keeps for the life of the program in the order that lets
// the windows work with the fewest: first the accessibility bus's, without which its bridge
// would wait for good, then the painting threads, of which one is enough. A refusal that
// leaves the windows unable to work ends start-up with the watch's line. Call it once the
// application object exists, before the first window.
void StartToolkitThreads();

}  // namespace vodazi
