#pragma once

#include <QElapsedTimer>

namespace vodazi {

// Lets the windows repaint while a calculation holds the one window thread, at most every
// few milliseconds, so the progress bar moves. User input that arrives meanwhile is
// swallowed: a run stays as modal as if nothing were processed, and nothing typed or clicked
// during it takes effect afterwards.
class PaintPump {
  public:
    // Processes pending events if the last time was long enough ago.
    void MaybePump();
    // Processes pending events now, e.g. to show a change at once.
    void Pump();
    void Restart() { sinceLast_.invalidate(); }

    static constexpr qint64 IntervalMs = 30;

  private:
    QElapsedTimer sinceLast_;
};

}  // namespace vodazi
