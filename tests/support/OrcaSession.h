#pragma once

// Orca, the screen reader, run by a test on the accessibility bus that tests/under-orca.sh
// gives it, with its debug log in a folder of the test's own. Orca writes the log through a
// buffer, so it is read once Orca has quit; every "SPEECH OUTPUT" line of it is what a user
// would have heard. Linux only, as Orca is.

#include <signal.h>

#include <QAccessible>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <fstream>
#include <string>
#include <vector>

namespace vodazi::support {

class OrcaSession {
  public:
    OrcaSession() = default;
    OrcaSession(const OrcaSession&) = delete;
    OrcaSession& operator=(const OrcaSession&) = delete;
    ~OrcaSession() {
        if (orca_.state() == QProcess::NotRunning) return;
        orca_.kill();
        orca_.waitForFinished();
    }

    // Starts Orca, speaking each list item's position as the user moves, and waits until it
    // listens to the programs' events. Returns why it could not, or nothing.
    std::string Start() {
        if (!folder_.isValid()) return "no temporary folder for Orca";
        std::ofstream(Path("user-settings.conf"))
            << R"({"general": {"enablePositionSpeaking": true}, "pronunciations": {},
                   "keybindings": {}, "profiles": {"default": {"profile": ["Default", "default"],
                   "pronunciations": {}, "keybindings": {}}}})";
        orca_.setProcessChannelMode(QProcess::MergedChannels);
        orca_.start("orca", {"--disable=braille", "--user-prefs", folder_.path(), "--debug-file",
                             QString::fromStdString(Path("orca.log"))});
        if (!orca_.waitForStarted()) return "Orca cannot start here: " + Said();
        QElapsedTimer waited;
        waited.start();
        bool listening = false;
        while (!(listening = Listening()) && orca_.state() == QProcess::Running &&
               waited.elapsed() < StartLimitMs) {
            QTest::qWait(100);
        }
        QDBusConnection::disconnectFromBus(Connection);
        if (orca_.state() != QProcess::Running) return "Orca ended at its start: " + Said();
        return listening ? std::string() : "Orca does not listen to events here";
    }

    // Runs the event loop until Orca has dealt with what the program told it: all its threads
    // asleep, and none woken for a while.
    void WaitUntilQuiet() const {
        QElapsedTimer waited;
        waited.start();
        long long last = -1;
        for (int calm = 0; calm < QuietPolls && waited.elapsed() < QuietLimitMs;) {
            QTest::qWait(PollMs);
            const long long switches = ContextSwitches();
            calm = switches == last && AllAsleep() ? calm + 1 : 0;
            last = switches;
        }
    }

    // Ends Orca as a user does, with SIGINT, and returns all it said, in order. Orca takes the
    // signal when its event loop next wakes, so the window nudges it until it has quit.
    std::vector<std::string> Stop(QWidget& window) {
        ::kill(static_cast<pid_t>(orca_.processId()), SIGINT);
        QElapsedTimer waited;
        waited.start();
        while (!orca_.waitForFinished(PollMs) && waited.elapsed() < StartLimitMs) {
            QAccessibleEvent nudge(&window, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&nudge);
            QTest::qWait(PollMs);
        }
        std::vector<std::string> heard;
        std::ifstream log(Path("orca.log"));
        const std::string mark = "SPEECH OUTPUT: '";
        for (std::string line; std::getline(log, line);) {
            const std::size_t start = line.find(mark);
            if (start == std::string::npos) continue;
            // The voice follows the quoted text: 'text'{...}, or 'key ' {...} for a key.
            const std::size_t from = start + mark.size();
            std::size_t end = line.find("'{", from);
            if (end == std::string::npos) end = line.find("' {", from);
            if (end == std::string::npos) end = line.rfind('\'');
            heard.push_back(end > from ? line.substr(from, end - from) : std::string());
        }
        return heard;
    }

  private:
    static constexpr int PollMs = 50;
    static constexpr int QuietPolls = 6;
    static constexpr qint64 QuietLimitMs = 30'000;
    static constexpr qint64 StartLimitMs = 60'000;
    static constexpr const char* Connection = "vodazi-orca-session";  // to the accessibility bus

    std::string Path(const char* name) const {
        return QDir(folder_.path()).filePath(name).toStdString();
    }

    std::string Said() { return orca_.readAll().trimmed().right(300).toStdString(); }

    // Orca has registered for the events a program sends when its focus moves.
    static bool Listening() {
        const QDBusReply<QString> address =
            QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
                "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress"));
        if (!address.isValid()) return false;
        QDBusConnection accessibility = QDBusConnection::connectToBus(address.value(), Connection);
        const QDBusMessage reply = accessibility.call(
            QDBusMessage::createMethodCall("org.a11y.atspi.Registry", "/org/a11y/atspi/registry",
                                           "org.a11y.atspi.Registry", "GetRegisteredEvents"));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
        const auto listeners = qvariant_cast<QDBusArgument>(reply.arguments().front());
        bool focus = false;
        bool windows = false;
        listeners.beginArray();
        while (!listeners.atEnd()) {
            QString listener;
            QString event;
            listeners.beginStructure();
            listeners >> listener >> event;
            listeners.endStructure();
            focus = focus || event.startsWith("Object:StateChanged:Focused");
            windows = windows || event.startsWith("Window:Activate");
        }
        listeners.endArray();
        return focus && windows;
    }

    QStringList Threads() const {
        return QDir(QString("/proc/%1/task").arg(orca_.processId()))
            .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    }

    QString Task(const QString& thread, const char* file) const {
        QFile in(QString("/proc/%1/task/%2/%3").arg(orca_.processId()).arg(thread, file));
        return in.open(QIODevice::ReadOnly) ? QString::fromLatin1(in.readAll()) : QString();
    }

    // Every time a thread of Orca waits or is woken counts one.
    long long ContextSwitches() const {
        long long switches = 0;
        for (const QString& thread : Threads()) {
            for (const QString& line : Task(thread, "status").split('\n')) {
                if (line.contains("ctxt_switches:"))
                    switches += line.section(':', 1).trimmed().toLongLong();
            }
        }
        return switches;
    }

    bool AllAsleep() const {
        for (const QString& thread : Threads()) {
            const QString stat = Task(thread, "stat");
            const QString state = stat.mid(stat.lastIndexOf(')') + 2, 1);  // after the name
            if (state != "S") return false;
        }
        return true;
    }

    QTemporaryDir folder_;
    QProcess orca_;
};

}  // namespace vodazi::support
