#include "windows/ProgressAnnouncer.h"

#include <QAccessible>
#include <QWidget>

namespace vodazi {

void ProgressAnnouncer::Restart() {
    sinceLast_.start();
    lastValue_ = QVariant();
}

void ProgressAnnouncer::MaybeAnnounce(QWidget& track) {
    if (sinceLast_.isValid() && sinceLast_.elapsed() < IntervalMs) return;
    Announce(track);
}

void ProgressAnnouncer::Announce(QWidget& track) {
    sinceLast_.start();
    if (!QAccessible::isActive()) return;
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(&track);
    if (bar == nullptr || bar->valueInterface() == nullptr) return;
    const QVariant value = bar->valueInterface()->currentValue();
    if (value == lastValue_) return;
    lastValue_ = value;
    QAccessibleValueChangeEvent event(&track, value);
    QAccessible::updateAccessibility(&event);
}

}  // namespace vodazi
