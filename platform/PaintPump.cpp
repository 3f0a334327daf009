#include "platform/PaintPump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include "platform/DescriptorReserve.h"

namespace vodazi {
namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::DragEnter:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

class InputSwallower : public QObject {
    Q_OBJECT

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (IsUserInput(event->type())) return true;
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void PaintPump::MaybePump() {
    if (sinceLast_.isValid() && sinceLast_.elapsed() < IntervalMs) return;
    Pump();
}

void PaintPump::Pump() {
    const DescriptorsLent forPainting;
    InputSwallower swallower;
    QCoreApplication::instance()->installEventFilter(&swallower);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::instance()->removeEventFilter(&swallower);
    sinceLast_.start();
}

}  // namespace vodazi

// The meta-object of the filter above.
#include "PaintPump.moc"
