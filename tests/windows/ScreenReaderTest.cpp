// What a blind user hears from Orca, the screen reader, while using the program by keyboard
// alone: run by tests/under-orca.sh, which gives it a display and an accessibility bus, and
// skipped, saying why, where Orca cannot start.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/ModalScript.h"
#include "tests/support/OrcaSession.h"
#include "windows/FPrimeList.h"
#include "windows/PrimeListView.h"
#include "windows/Program.h"

namespace vodazi {
namespace {

using Heard = std::vector<std::string>;

class ScreenReaderTest : public ::testing::Test {
  protected:
    Program program;
    RIdizev& window = program.MainWindow();
    support::OrcaSession orca;

    // A key as the user presses it, on whatever has the focus; the screen reader sees it
    // first, so it reaches the window only through the event loop.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        orca.WaitUntilQuiet();
    }

    void Type(const QString& text) {
        for (const QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        orca.WaitUntilQuiet();
    }

    // As a window manager does, which this display has none of: a window shown, or shown
    // again when the one above it closed, gets the keyboard.
    void Activate(QWidget* shown) {
        shown->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(shown));
        orca.WaitUntilQuiet();
    }

    QString Focused() const {
        QWidget* focus = QApplication::focusWidget();
        return focus != nullptr ? focus->objectName() : QString();
    }
};

// Each expected utterance in turn, at or after the one before it; the first missing one.
std::string FirstMissing(const Heard& heard, const Heard& expected) {
    auto at = heard.begin();
    for (const std::string& utterance : expected) {
        at = std::find(at, heard.end(), utterance);
        if (at == heard.end()) return utterance;
        ++at;
    }
    return {};
}

std::string Transcript(const Heard& heard) {
    std::string all;
    for (const std::string& utterance : heard) all += "  " + utterance + "\n";
    return all;
}

TEST_F(ScreenReaderTest, OrcaReadsTheWindowsAMessageAndTheWholeListAsTheUserMoves) {
    if (const std::string why = orca.Start(); !why.empty()) GTEST_SKIP() << why;
    window.show();
    Activate(&window);

    Press(Qt::Key_Tab);
    EXPECT_EQ(Focused(), "Start");
    Press(Qt::Key_Tab);
    EXPECT_EQ(Focused(), "Ende");
    Type("2147483648");
    Press(Qt::Key_Tab);
    Press(Qt::Key_Tab);
    EXPECT_EQ(Focused(), "Primzahlen");

    support::ModalScript script;
    script.Then([this](QWidget* modal) {
        Activate(modal);
        Press(Qt::Key_Return);
    });
    Press(Qt::Key_Space);
    EXPECT_TRUE(script.Done());
    Activate(&window);

    Press(Qt::Key_Backtab, Qt::ShiftModifier);
    Press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Focused(), "Ende");
    Type("2147483647");
    Press(Qt::Key_Tab);
    Press(Qt::Key_Tab);
    qint64 rows = 0;
    script.Then([this, &rows](QWidget* modal) {
        Activate(modal);
        rows = modal->findChild<PrimeListView*>("PrimeList")->RowCount();
        Press(Qt::Key_Down);
        Press(Qt::Key_Down);
        Press(Qt::Key_End);
        Press(Qt::Key_Tab);
        Press(Qt::Key_Space);
    });
    Press(Qt::Key_Space);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(rows, 105'097'564);
    Activate(&window);

    // Each control by its name, the limit hint with the End box, the message as an alert,
    // the list's true size, and the place of each item the user moves to, the last included.
    const Heard expected = {
        "Calculate Vodazi frame.",
        "begin of calculate push button.",
        "Start with: text.",
        "Stop with: text.",
        "max. 2147483647.",
        "Copy to file check box not checked.",
        "begin of calculate push button.",
        "alert Vodazi.",
        "A value is out of range. Min. is 3 and max. is 2147483647.",
        "OK push button.",
        "Calculate Vodazi frame.",
        "begin of calculate push button.",
        "Copy to file check box not checked.",
        "Stop with: text.",
        "max. 2147483647.",
        "begin of calculate push button.",
        "Vodazi List dialog.",
        "Primes.",
        "table with 105097564 rows 1 column.",
        "3.",
        "1 of 105097564.",
        "5.",
        "2 of 105097564.",
        "2147483647.",
        "105097564 of 105097564.",
        "Exit push button.",
        "Calculate Vodazi frame.",
        "begin of calculate push button.",
    };
    const Heard heard = orca.Stop(window);
    EXPECT_EQ(FirstMissing(heard, expected), "") << "Orca said:\n" << Transcript(heard);
}

}  // namespace
}  // namespace vodazi
