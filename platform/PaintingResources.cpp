#include "platform/PaintingResources.h"

#include <QThreadPool>
#include <QtGlobal>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace vodazi {
namespace {

// A part of a fill needs a few tens of kilobytes of stack, not the usual eight megabytes:
// where the address space is short, the threads must not take it from the runs.
constexpr unsigned PaintingStackBytes = 256 * 1024;

// Holds each thread's first task until every thread has been asked for; otherwise the pool
// would hand the next task to a thread already done with its first, and start no other.
class StartGate {
  public:
    void Open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }
    void Pass() {
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

}  // namespace

// Nothing here waits for a thread. One the system refuses now is lost with its first task and
// the pool gives later work to the others; only a pool left with none would wait again, so
// StartToolkitThreads ends start-up when every one is refused.
void KeepPaintingThreads() {
    QThreadPool* pool = QThreadPool::globalInstance();
    pool->setExpiryTimeout(-1);
    pool->setStackSize(PaintingStackBytes);
    pool->setMaxThreadCount(KeptPaintingThreads);
    const auto gate = std::make_shared<StartGate>();
    for (int i = 0; i < KeptPaintingThreads; ++i) pool->start([gate] { gate->Pass(); });
    gate->Open();
}

void PaintWithoutPassingDescriptors() {
    qputenv("QT_XCB_NO_MITSHM", "1");
}

}  // namespace vodazi
