#include "platform/DescriptorReserve.h"

#include <fcntl.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <array>
#include <cstddef>

namespace vodazi {
namespace {

// A new window takes two at once (its buffer's and the copy the connection sends) and a
// message box a few more to look at image plugins; sixteen leave room to spare at no cost.
constexpr std::size_t ReserveSize = 16;

struct Reserve {
    std::array<int, ReserveSize> descriptors{};
    std::size_t held = 0;
    bool kept = false;
    int lent = 0;  // toolkit turns in progress, one inside another
};

Reserve reserve;

void Take() {
    if (!reserve.kept || reserve.lent > 0) return;
    while (reserve.held < ReserveSize) {
        const int descriptor = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (descriptor < 0) return;  // as many as the limit leaves
        reserve.descriptors[reserve.held++] = descriptor;
    }
}

void HandBack() {
    while (reserve.held > 0) ::close(reserve.descriptors[--reserve.held]);
}

// A window is painted after one of these reaches it, wherever the event loop runs; the
// reserve is taken back as soon as the event loop goes on to what was posted after it.
class PaintingWatch : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type == QEvent::UpdateRequest || type == QEvent::Expose) && reserve.held > 0) {
            HandBack();
            QMetaObject::invokeMethod(
                this, [] { Take(); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void KeepDescriptorReserve() {
    if (reserve.kept) return;
    reserve.kept = true;
    Take();
    QCoreApplication* application = QCoreApplication::instance();
    application->installEventFilter(new PaintingWatch(application));
    // Whatever the toolkit had it for is done once the program waits for events again.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     application, [] { Take(); });
}

void ReclaimDescriptorReserve() {
    Take();
}

DescriptorsLent::DescriptorsLent() {
    ++reserve.lent;
    HandBack();
}

DescriptorsLent::~DescriptorsLent() {
    --reserve.lent;
    Take();
}

}  // namespace vodazi

// The meta-object of the watch above.
#include "DescriptorReserve.moc"
