// Two hundred runs in one process, list and report in turn, through the real windows: every
// run must leave the window as it was, and memory must settle after the first few.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "platform/SolidRectangle.h"
#include "tests/support/ModalScript.h"
#include "windows/FPrimeList.h"
#include "windows/Program.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

// What this process holds in memory now, in megabytes (the second field of statm, in pages).
double ResidentMegabytes() {
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident * ::sysconf(_SC_PAGESIZE)) / 1e6;
}

TEST(Soak, TwoHundredRunsLeaveTheWindowAndMemoryAsTheyWere) {
    const fs::path folder =
        fs::temp_directory_path() / ("vodazi-soak-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    Program program;
    RIdizev& window = program.MainWindow();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* datei = window.findChild<QCheckBox*>("Datei");
    auto* name = window.findChild<QLineEdit*>("FName");
    auto* button = window.findChild<QPushButton*>("Primzahlen");
    window.findChild<QLineEdit*>("Ende")->setText("1000000");
    name->setText(QString::fromStdString((folder / "soak.txt").string()));

    support::ModalScript script;
    double settled = 0.0;
    double last = 0.0;
    for (int run = 0; run < 200; ++run) {
        const bool toFile = run % 2 == 1;
        datei->setChecked(toFile);
        std::size_t listed = 0;
        if (toFile) {
            if (fs::exists(folder / "soak.txt")) script.ThenMessage(QMessageBox::Yes, nullptr);
        } else {
            script.Then([&listed](QWidget* modal) {
                auto* list = dynamic_cast<FPrimeList*>(modal);
                if (list == nullptr) return modal->close(), void();
                listed = list->Items().Size();
                list->close();
            });
        }
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_TRUE(script.Done()) << "run " << run;
        ASSERT_EQ(script.Unexpected(), 0) << "run " << run;
        if (toFile) {
            ASSERT_EQ(fs::file_size(folder / "soak.txt"), 617'007u)
                << "run " << run;  // header, 78,497 lines, trailer
        } else {
            ASSERT_EQ(listed, 78'497u) << "run " << run;  // pi(10^6) less the prime 2
        }
        ASSERT_EQ(QApplication::overrideCursor(), nullptr) << "run " << run;
        ASSERT_FALSE(window.findChild<SolidRectangle*>("AktStatus")->isVisible()) << "run " << run;
        ASSERT_FALSE(window.findChild<SolidRectangle*>("AktFill")->isVisible()) << "run " << run;
        if (run == 19) settled = ResidentMegabytes();
        last = ResidentMegabytes();
    }
    std::cout << "resident memory after run 20: " << settled << " MB, after run 200: " << last
              << " MB\n";
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(last - settled, 2.0);  // megabytes; a leak of one list or buffer per run would show
#endif
    fs::remove_all(folder);
}

}  // namespace
}  // namespace vodazi
