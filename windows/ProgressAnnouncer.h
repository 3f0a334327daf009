#pragma once

#include <QElapsedTimer>
#include <QVariant>

class QWidget;

namespace vodazi {

// Tells assistive technology how far the progress bar has come: often enough that a listener
// hears a run move, yet not for each of the thousands of widths a run sets.
class ProgressAnnouncer {
  public:
    // A run begins: the first announcement comes one interval after it.
    void Restart();
    // Announces the value of `track` if the last announcement is an interval ago.
    void MaybeAnnounce(QWidget& track);
    // Announces the value of `track` now, unless it was the last one announced.
    void Announce(QWidget& track);

    static constexpr qint64 IntervalMs = 100;

  private:
    QElapsedTimer sinceLast_;
    QVariant lastValue_;
};

}  // namespace vodazi
