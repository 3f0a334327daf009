// Names and numbers as the user writes them where the user lives: the program started, as
// main() starts it, in a child process under the user's locale (LC_ALL), the texts typed into
// the real boxes and the button pressed. What the run showed, and where a report went, as the
// system stores the name.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/ModalScript.h"
#include "windows/FPrimeList.h"
#include "windows/Program.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

struct AsTheUserWrites {
    const char* locale;
    const char* start;
    const char* end;
    const char* fileName;  // typed into the box, under the row's folder; none: the list
    std::string shown;     // "list COUNT LAST", "message TEXT", or "" for a report written
    std::string stored;    // the report's name under the folder, in the system's bytes
};

const AsTheUserWrites Rows[] = {
    // File names in the locale's encoding; a UTF-8 locale stores them as typed.
    {"de_DE.ISO-8859-1", "3", "20", "\u00e4.txt", "", "\xe4.txt"},
    {"de_DE.ISO-8859-1", "3", "20", "caf\u00e9/r.txt", "", "caf\xe9/r.txt"},
    {"de_DE.UTF-8", "3", "20", "\u00e4.txt", "", "\xc3\xa4.txt"},
    // A name of blanks only is no name, wherever the program was started.
    {"de_DE.ISO-8859-1", "3", "20", "   ", "message Folder dosnt exist", ""},
    {"C", "3", "20", " \t ", "message Folder dosnt exist", ""},
    // Bounds in the form of the numeric locale, and in the form every locale reads.
    {"de_DE.UTF-8", "3", "10.000", nullptr, "list 1228 9973", ""},
    {"tr_TR.UTF-8", "2147483646,6", "2147483647", nullptr, "list 1 2147483647", ""},
    {"de_DE.UTF-8", "1.5", "20", nullptr, "list 7 19", ""},
    {"en_US.UTF-8", "3", "1,000", nullptr, "list 167 997", ""},
    {"hi_IN.UTF-8", "3", "1,00,000", nullptr, "list 9591 99991", ""},
    {"fr_FR.UTF-8", "3", "10 000", nullptr, "list 1228 9973", ""},
    {"ar_EG.UTF-8", "3", "١٠٠", nullptr, "list 24 97", ""},
    {"C", "3", "10.000", nullptr, "list 3 7", ""},
    {"C", "3", "2147483646,6", nullptr, "message A value is not a number.", ""},
};

void Type(RIdizev& window, const char* box, const QString& text) {
    auto* edit = window.findChild<QLineEdit*>(box);
    edit->setFocus();
    edit->selectAll();
    for (const QChar c : text)  // any character, as a keyboard layout of the locale types it
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The child: the program under the row's locale, in `folder`, one run; writes what it showed.
[[noreturn]] void RunAsTheUser(const AsTheUserWrites& row, const fs::path& folder,
                               const fs::path& locales, int out) {
    ::setenv("LOCPATH", locales.c_str(), 1);
    ::setenv("LC_ALL", row.locale, 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    fs::current_path(folder);  // where a report without a folder would go
    int argc = 1;
    char name[] = "vodazi";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);  // sets the C library's locale, as at the program's start
    Program program(ScanOptions{2});
    RIdizev& window = program.MainWindow();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) std::abort();
    Type(window, "Start", QString::fromUtf8(row.start));
    Type(window, "Ende", QString::fromUtf8(row.end));
    if (row.fileName != nullptr) {
        window.findChild<QCheckBox*>("Datei")->setChecked(true);
        const std::string typed =
            row.fileName[0] == ' ' ? row.fileName : folder.string() + "/" + row.fileName;
        Type(window, "FName", QString::fromStdString(typed));
    }
    std::string shown;
    support::ModalScript script;
    script.Then([&shown](QWidget* modal) {
        if (auto* list = dynamic_cast<FPrimeList*>(modal)) {
            const std::size_t count = list->Items().Size();
            shown = "list " + std::to_string(count) + " " +
                    (count == 0 ? "-" : std::to_string(list->Items().At(count - 1)));
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            shown = "message " + box->text().toStdString();
        }
        modal->close();
    });
    QTest::mouseClick(window.findChild<QPushButton*>("Primzahlen"), Qt::LeftButton);
    if (::write(out, shown.data(), shown.size()) != static_cast<ssize_t>(shown.size()))
        std::abort();
    ::_exit(0);
}

std::string ShownBy(const AsTheUserWrites& row, const fs::path& folder, const fs::path& locales) {
    int pipe[2];
    if (::pipe(pipe) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        RunAsTheUser(row, folder, locales, pipe[1]);
    }
    ::close(pipe[1]);
    std::string shown;
    char buffer[256];
    for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        shown.append(buffer, got);
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "ended by status " + std::to_string(status);
    return shown;
}

// Every name under the folder, as the system stores it.
std::string Listing(const fs::path& folder) {
    std::string names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) names += fs::relative(entry.path(), folder).string() + ";";
    }
    return names;
}

TEST(UserLocale, NamesAndNumbersAreReadAsTheUserWritesThem) {
    const fs::path base =
        fs::temp_directory_path() / ("vodazi-locale-" + std::to_string(::getpid()));
    const fs::path locales = base / "locales";
    fs::create_directories(locales);
    // A Latin-1 locale is rarely installed; the C library builds it from Debian's definitions.
    const std::string make = "localedef -i de_DE -f ISO-8859-1 " +
                             (locales / "de_DE.ISO-8859-1").string() + " >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) {
        fs::remove_all(base);
        GTEST_SKIP() << "no Latin-1 locale can be made here (Debian's locales package)";
    }
    int row = 0;
    for (const AsTheUserWrites& writes : Rows) {
        SCOPED_TRACE(std::string(writes.locale) + ": " + writes.start + " .. " + writes.end + " " +
                     (writes.fileName != nullptr ? writes.fileName : "(list)"));
        const fs::path folder = base / std::to_string(row++);
        fs::create_directories(folder);
        if (const fs::path within = fs::path(writes.stored).parent_path(); !within.empty())
            fs::create_directories(folder / within);
        EXPECT_EQ(ShownBy(writes, folder, locales), writes.shown);
        EXPECT_EQ(Listing(folder), writes.stored.empty() ? "" : writes.stored + ";");
        if (!writes.stored.empty()) {
            std::ifstream report(folder / writes.stored, std::ios::binary);
            std::string first;
            std::getline(report, first);
            EXPECT_EQ(first, "Beginn: 3\r");
        }
    }
    fs::remove_all(base);
}

}  // namespace
}  // namespace vodazi
