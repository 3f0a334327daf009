// A run short of address space, of threads or of open files ends, within a bound, with its
// result or with a message, in windows that still paint; and the next run, with the resource
// back, gives the result. Each case runs the program in a child process of its own, started
// as main() starts it, on the offscreen platform and once more on Wayland, where every new
// window takes descriptors (under the compositor tests/under-weston.sh starts). Most cases
// lower the limit once the program is up: resources run short while a desktop program is
// open. The thread limit is also set before start-up, at every number of threads up to the
// first that lets the program come up: below it the program must say why and end at once.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThreadPool>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "calc/UserTexts.h"
#include "platform/ProgramStart.h"
#include "tests/support/ModalScript.h"
#include "windows/FPrimeList.h"
#include "windows/Program.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

constexpr int LongEnd = 10'000'000;  // three chunks of the scan, so that workers are started
constexpr auto Bound = std::chrono::seconds(120);
// The most the program is to take of the address space at rest; on Wayland the toolkit maps
// the libraries of its GL buffer integration besides, which the program never uses.
constexpr rlim_t AtRestBytes = rlim_t{200} << 20;

enum class Expected { Result, ResultOrMessage, Message };
enum class Platform { Offscreen, Wayland };

struct ShortOf {
    const char* name;
    int resource;
    bool toFile;
    Expected first;
    int end = LongEnd;
    bool atStartUp = false;
};

using Case = std::tuple<ShortOf, Platform>;

void PrintTo(const ShortOf& row, std::ostream* out) {
    *out << row.name;
}
void PrintTo(Platform platform, std::ostream* out) {
    *out << (platform == Platform::Wayland ? "Wayland" : "offscreen");
}

// The super-user starts threads past any process limit; the nobody user does not.
void BecomeNobody() {
    const passwd* nobody = ::getpwnam("nobody");
    if (::getuid() == 0 &&
        (nobody == nullptr || ::setresuid(nobody->pw_uid, nobody->pw_uid, nobody->pw_uid) != 0)) {
        std::abort();
    }
}

// Threads of the nobody user's processes: the process limit counts them all.
int NobodyThreads() {
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) std::abort();
    int threads = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream status(entry.path() / "status");
        unsigned uid = 0;
        int count = 0;
        bool ours = false;
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("Uid:", 0) == 0)
                ours = std::istringstream(line.substr(4)) >> uid && uid == nobody->pw_uid;
            if (line.rfind("Threads:", 0) == 0) std::istringstream(line.substr(8)) >> count;
        }
        if (ours) threads += count;
    }
    return threads;
}

// Lowers the limit so that the resource is all but used up now; returns the limit to restore.
rlimit Exhaust(int resource, Platform platform) {
    rlimit old{};
    ::getrlimit(resource, &old);
    rlimit low = old;
    if (resource == RLIMIT_AS) {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        // Room for a few small allocations, none for a thread with the usual 8 MB stack; and
        // no more than the program is to need at rest.
        low.rlim_cur = static_cast<rlim_t>(pages * ::sysconf(_SC_PAGESIZE)) + (4u << 20);
        if (platform == Platform::Offscreen) low.rlim_cur = std::min(low.rlim_cur, AtRestBytes);
    } else if (resource == RLIMIT_NOFILE) {
        const int lowestFree = ::open("/dev/null", O_RDONLY);
        ::close(lowestFree);
        low.rlim_cur = static_cast<rlim_t>(lowestFree);
    } else {
        BecomeNobody();
        low.rlim_cur = 1;
    }
    if (::setrlimit(resource, &low) != 0) std::abort();
    return old;
}

// The nobody user may not reach the compositor's socket in the tester's runtime folder, so the
// child connects first and hands the connection over, as a launcher may.
void HandOverWaylandConnection() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (runtime == nullptr || display == nullptr) std::abort();
    const std::string path = display[0] == '/' ? display : std::string(runtime) + "/" + display;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) std::abort();
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int connection = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (connection < 0 ||
        ::connect(connection, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        std::abort();
    }
    ::setenv("WAYLAND_SOCKET", std::to_string(connection).c_str(), 1);
}

// Allows the nobody user `threads` threads, this one included; returns the limit to restore.
rlimit LimitThreadsFromStart(int threads, Platform platform) {
    if (platform == Platform::Wayland) HandOverWaylandConnection();
    rlimit old{};
    ::getrlimit(RLIMIT_NPROC, &old);
    rlimit low = old;
    low.rlim_cur = static_cast<rlim_t>(NobodyThreads()) + static_cast<rlim_t>(threads);
    BecomeNobody();
    if (::setrlimit(RLIMIT_NPROC, &low) != 0) std::abort();
    return old;
}

// What the modal window of a run showed: "list N", "file N" or "message TEXT".
std::string Press(RIdizev& window, const fs::path& file) {
    std::string seen = "none";
    support::ModalScript script;
    script.Then([&seen](QWidget* modal) {
        (void)modal->grab();  // painting must not wait for anything
        if (auto* list = dynamic_cast<FPrimeList*>(modal)) {
            seen = "list " + std::to_string(list->Items().Size());
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen = "message " + box->text().toStdString();
        }
        modal->close();
    });
    window.findChild<QLineEdit*>("FName")->setText(QString::fromStdString(file.string()));
    QTest::mouseClick(window.findChild<QPushButton*>("Primzahlen"), Qt::LeftButton);
    (void)window.grab();
    if (seen == "none" && fs::exists(file)) {
        std::ifstream in(file);
        std::size_t primes = 0;
        for (std::string line; std::getline(in, line);)
            primes += std::isdigit(static_cast<unsigned char>(line[0])) ? 1 : 0;
        seen = "file " + std::to_string(primes);
    }
    return seen;
}

// The painting threads are kept for good, so that none has to be started when threads are short.
std::string PaintingThreads() {
    const int expiry = QThreadPool::globalInstance()->expiryTimeout();
    return expiry < 0 ? "painting threads kept"
                      : "painting threads expire after " + std::to_string(expiry) + " ms";
}

// The child: the program started as main() starts it, one run short of the resource, one with
// it back. Writes a line on its painting threads and one for each run's outcome.
[[noreturn]] void RunShortOf(const ShortOf& row, Platform platform, int threads,
                             const fs::path& folder, int out) {
    qputenv("QT_QPA_PLATFORM", platform == Platform::Wayland ? "wayland" : "offscreen");
    rlimit old{};
    if (row.atStartUp) old = LimitThreadsFromStart(threads, platform);
    int argc = 1;
    char name[] = "vodazi";
    char* argv[] = {name, nullptr};
    ProgramStart start(argc, argv);
    Program program(ScanOptions{2});
    RIdizev& window = program.MainWindow();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) std::abort();
    window.findChild<QLineEdit*>("Ende")->setText(QString::number(row.end));
    window.findChild<QCheckBox*>("Datei")->setChecked(row.toFile);

    QTest::qWait(50);  // settles into waiting for the user, as it is when a limit falls

    std::string report = PaintingThreads() + "\n";
    if (!row.atStartUp) old = Exhaust(row.resource, platform);
    report += Press(window, folder / "first.txt") + "\n";
    ::setrlimit(row.resource, &old);
    report += Press(window, folder / "next.txt") + "\n";
    if (::write(out, report.data(), report.size()) != static_cast<ssize_t>(report.size())) {
        std::abort();
    }
    ::_exit(0);
}

struct ChildEnd {
    std::string lines;  // or what went wrong: it did not end in time, or ended otherwise
    int status = -1;    // the exit status, if it exited
    std::string errors;
};

// Runs the child in a process of its own, its errors in a file, and waits for it in the bound.
ChildEnd RunChild(const ShortOf& row, Platform platform, int threads, const fs::path& folder) {
    const fs::path errors = folder / "stderr.txt";
    int pipe[2];
    if (::pipe(pipe) != 0) return {"no pipe", -1, {}};
    const pid_t child = ::fork();
    if (child < 0) return {"no child", -1, {}};
    if (child == 0) {
        ::close(pipe[0]);
        const int file = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (file < 0 || ::dup2(file, STDERR_FILENO) < 0) std::abort();
        ::close(file);
        RunShortOf(row, platform, threads, folder, pipe[1]);
    }
    ::close(pipe[1]);
    ChildEnd end;
    const auto deadline = std::chrono::steady_clock::now() + Bound;
    char buffer[512];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{pipe[0], POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) == 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            ::close(pipe[0]);
            return {"still running after " + std::to_string(Bound.count()) + " s", -1, {}};
        }
        const ssize_t got = ::read(pipe[0], buffer, sizeof buffer);
        if (got <= 0) break;
        end.lines.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status)) end.status = WEXITSTATUS(status);
    std::ifstream in(errors);
    end.errors.assign(std::istreambuf_iterator<char>(in), {});
    if (end.status != 0) end.lines = "ended by status " + std::to_string(status);
    return end;
}

std::size_t PrimesUpTo(std::size_t end) {  // 3 and up: no range holds 2
    std::vector<bool> composite(end + 1);
    std::size_t count = 0;
    for (std::size_t n = 3; n <= end; n += 2) {
        if (composite[n]) continue;
        ++count;
        for (std::size_t m = n * n; m <= end; m += 2 * n) composite[m] = true;
    }
    return count;
}

void ExpectRuns(const ShortOf& row, const ChildEnd& end) {
    const std::string result = std::string(row.toFile ? "file " : "list ") +
                               std::to_string(PrimesUpTo(static_cast<std::size_t>(row.end)));
    std::istringstream lines(end.lines);
    std::string painting;
    std::string first;
    std::string next;
    ASSERT_TRUE(std::getline(lines, painting) && std::getline(lines, first) &&
                std::getline(lines, next))
        << end.lines << "\n"
        << end.errors;
    EXPECT_EQ(painting, "painting threads kept");
    const bool message = first.rfind("message ", 0) == 0 && first.size() > 8;
    switch (row.first) {
        case Expected::Result:
            EXPECT_EQ(first, result);
            break;
        case Expected::Message:
            EXPECT_TRUE(message) << first;
            break;
        case Expected::ResultOrMessage:
            EXPECT_TRUE(first == result || message) << first;
            break;
    }
    EXPECT_EQ(next, result);
}

class ShortResourcesTest : public ::testing::TestWithParam<Case> {};

TEST_P(ShortResourcesTest, RunEndsWithResultOrMessageAndTheNextRunWorks) {
    const auto& [row, platform] = GetParam();
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers reserve far more address space than any limit leaves the program, and
    // their own checks open descriptors as they go.
    if (row.resource != RLIMIT_NPROC) GTEST_SKIP() << "not under the sanitizers";
#endif
    if (platform == Platform::Wayland && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        GTEST_SKIP() << "no Wayland compositor here (tests/under-weston.sh starts one)";
    const fs::path folder =
        fs::temp_directory_path() / ("vodazi-short-" + std::to_string(::getpid()) + "-" + row.name);
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::all);  // the nobody user writes here too
    if (!row.atStartUp) {
        ExpectRuns(row, RunChild(row, platform, 0, folder));
    } else {
        // Below the threads the windows need, the program says why at once and ends; from
        // there on it comes up and works.
        int threads = 1;
        for (ChildEnd end; threads <= 16; ++threads) {
            end = RunChild(row, platform, threads, folder);
            if (end.status == 3) {
                EXPECT_NE(end.errors.find(texts::ThreadRefusedLine), std::string::npos)
                    << end.errors;
                continue;
            }
            ExpectRuns(row, end);
            // With the fewest threads it starts with, one it can spare was refused: none it
            // cannot do without was asked for after that one.
            EXPECT_NE(end.errors.find("QThread::start"), std::string::npos) << end.errors;
            break;
        }
        EXPECT_LE(threads, 16) << "no limit let the program start";
    }
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, ShortResourcesTest,
    ::testing::Combine(
        ::testing::Values(ShortOf{"AddressSpaceList", RLIMIT_AS, false, Expected::ResultOrMessage},
                          ShortOf{"AddressSpaceReport", RLIMIT_AS, true, Expected::ResultOrMessage},
                          ShortOf{"AddressSpaceShortList", RLIMIT_AS, false, Expected::Result, 100},
                          ShortOf{"ThreadsList", RLIMIT_NPROC, false, Expected::Result},
                          ShortOf{"ThreadsReport", RLIMIT_NPROC, true, Expected::Result},
                          ShortOf{"ThreadsFromStartUp", RLIMIT_NPROC, false, Expected::Result,
                                  LongEnd, true},
                          ShortOf{"OpenFilesList", RLIMIT_NOFILE, false, Expected::Result},
                          ShortOf{"OpenFilesReport", RLIMIT_NOFILE, true, Expected::Message}),
        ::testing::Values(Platform::Offscreen, Platform::Wayland)),
    [](const ::testing::TestParamInfo<Case>& param) {
        return std::string(std::get<0>(param.param).name) +
               (std::get<1>(param.param) == Platform::Wayland ? "OnWayland" : "Offscreen");
    });

}  // namespace
}  // namespace vodazi
