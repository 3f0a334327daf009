// A run short of address space, of threads or of open files ends, within a bound, with its
// result or with a message, in windows that still paint; and the next run, with the resource
// back, gives the result. Each case runs the program in a child process of its own, started
// as main() starts it, which lowers its own limit only once it is up: resources run short
// while a desktop program is open, not before.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/PaintingResources.h"
#include "tests/support/ModalScript.h"
#include "windows/FPrimeList.h"
#include "windows/Program.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

constexpr int End = 10'000'000;  // three chunks of the scan, so that workers are started
constexpr auto Bound = std::chrono::seconds(120);

enum class Expected { Result, ResultOrMessage, Message };

struct ShortOf {
    const char* name;
    int resource;
    bool toFile;
    Expected first;
};

void PrintTo(const ShortOf& row, std::ostream* out) {
    *out << row.name;
}

// Lowers the limit so that the resource is all but used up now; returns the limit to restore.
rlimit Exhaust(int resource) {
    rlimit old{};
    ::getrlimit(resource, &old);
    rlimit low = old;
    if (resource == RLIMIT_AS) {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        // Room for a few small allocations, none for a thread with the usual 8 MB stack.
        low.rlim_cur = static_cast<rlim_t>(pages * ::sysconf(_SC_PAGESIZE)) + (4u << 20);
    } else if (resource == RLIMIT_NOFILE) {
        const int lowestFree = ::open("/dev/null", O_RDONLY);
        ::close(lowestFree);
        low.rlim_cur = static_cast<rlim_t>(lowestFree);
    } else {
        // The super-user starts threads past any process limit; the nobody user does not.
        const passwd* nobody = ::getpwnam("nobody");
        if (::getuid() == 0 && (nobody == nullptr ||
                                ::setresuid(nobody->pw_uid, nobody->pw_uid, nobody->pw_uid) != 0)) {
            std::abort();
        }
        low.rlim_cur = 1;
    }
    if (::setrlimit(resource, &low) != 0) std::abort();
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

// The child: the program started as main() starts it, one run short of the resource, one
// with it back. Writes both outcomes, a line each.
[[noreturn]] void RunShortOf(const ShortOf& row, const fs::path& folder, int out) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PaintWithoutPassingDescriptors();
    int argc = 1;
    char name[] = "vodazi";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    KeepPaintingThreads();
    Program program(ScanOptions{2});
    RIdizev& window = program.MainWindow();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) std::abort();
    window.findChild<QLineEdit*>("Ende")->setText(QString::number(End));
    window.findChild<QCheckBox*>("Datei")->setChecked(row.toFile);

    const rlimit old = Exhaust(row.resource);
    std::string report = Press(window, folder / "first.txt") + "\n";
    ::setrlimit(row.resource, &old);
    report += Press(window, folder / "next.txt") + "\n";
    if (::write(out, report.data(), report.size()) != static_cast<ssize_t>(report.size())) {
        std::abort();
    }
    ::_exit(0);
}

// The child's lines, or what went wrong: it did not end in time, or ended otherwise.
std::string Outcome(pid_t child, int in) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + Bound;
    char buffer[512];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{in, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) == 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            return "still running after " + std::to_string(Bound.count()) + " s";
        }
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "ended by status " + std::to_string(status);
    return text;
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

class ShortResourcesTest : public ::testing::TestWithParam<ShortOf> {};

TEST_P(ShortResourcesTest, RunEndsWithResultOrMessageAndTheNextRunWorks) {
    const ShortOf& row = GetParam();
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers reserve far more address space than any limit leaves the program, and
    // their own checks open descriptors as they go.
    if (row.resource != RLIMIT_NPROC) GTEST_SKIP() << "not under the sanitizers";
#endif
    const fs::path folder =
        fs::temp_directory_path() / ("vodazi-short-" + std::to_string(::getpid()) + "-" + row.name);
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::all);  // the nobody user writes here too
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipe[0]);
        RunShortOf(row, folder, pipe[1]);
    }
    ::close(pipe[1]);
    const std::string outcome = Outcome(child, pipe[0]);
    ::close(pipe[0]);
    fs::remove_all(folder);

    const std::string result =
        std::string(row.toFile ? "file " : "list ") + std::to_string(PrimesUpTo(End));
    std::istringstream lines(outcome);
    std::string first;
    std::string next;
    ASSERT_TRUE(std::getline(lines, first) && std::getline(lines, next)) << outcome;
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

INSTANTIATE_TEST_SUITE_P(
    Limits, ShortResourcesTest,
    ::testing::Values(ShortOf{"AddressSpaceList", RLIMIT_AS, false, Expected::ResultOrMessage},
                      ShortOf{"AddressSpaceReport", RLIMIT_AS, true, Expected::ResultOrMessage},
                      ShortOf{"ThreadsList", RLIMIT_NPROC, false, Expected::Result},
                      ShortOf{"ThreadsReport", RLIMIT_NPROC, true, Expected::Result},
                      ShortOf{"OpenFilesList", RLIMIT_NOFILE, false, Expected::Result},
                      ShortOf{"OpenFilesReport", RLIMIT_NOFILE, true, Expected::Message}),
    [](const ::testing::TestParamInfo<ShortOf>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vodazi
