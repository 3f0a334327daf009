#include "platform/ToolkitThreads.h"

#include <QAccessible>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "calc/UserTexts.h"
#include "platform/PaintingResources.h"

namespace vodazi {
namespace {

QtMessageHandler previous = nullptr;
int spare = 0;

// The warnings QThread::start gives for a refused thread, on POSIX and on Windows.
bool IsThreadRefusal(const QString& text) {
    for (const char* phrase :
         {"QThread::start: Thread creation error", "QThread::start: Failed to create thread"}) {
        if (text.startsWith(QLatin1String(phrase))) return true;
    }
    return false;
}

void TellOrPass(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!IsThreadRefusal(text) || spare-- > 0) {
        previous(type, context, text);
        return;
    }
    // The system's reason, as the toolkit gives it in parentheses.
    const qsizetype open = text.lastIndexOf(QLatin1Char('('));
    const QByteArray reason = open < 0 ? QByteArray() : (" " + text.mid(open)).toLocal8Bit();
    std::fprintf(stderr, "%s%s\n", texts::ThreadRefusedLine, reason.constData());
    std::fflush(stderr);
    std::_Exit(3);  // whoever asked for the thread may be about to wait for it
}

}  // namespace

ThreadRefusalWatch::ThreadRefusalWatch() {
    spare = 0;
    previous = qInstallMessageHandler(TellOrPass);
}

ThreadRefusalWatch::~ThreadRefusalWatch() {
    Release();
}

void ThreadRefusalWatch::Spare(int count) {
    spare = count;
}

void ThreadRefusalWatch::Release() {
    if (previous == nullptr) return;
    qInstallMessageHandler(previous);
    previous = nullptr;
}

void StartToolkitThreads() {
    ThreadRefusalWatch watch;
    // Asking whether a screen reader listens sets up the platform's accessibility bridge, and
    // with it the bus connection's thread; otherwise the first widget would, after the
    // painting threads had perhaps taken the last ones the system allows.
    (void)QAccessible::isActive();
    watch.Spare(KeptPaintingThreads - 1);
    KeepPaintingThreads();
}

}  // namespace vodazi
