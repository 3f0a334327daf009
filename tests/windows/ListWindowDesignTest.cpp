#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "DesignTable.h"
#include "tests/support/ModalScript.h"
#include "windows/FPrimeList.h"

namespace vodazi {
namespace {

using support::DesignedControl;
using support::Kind;

const DesignedControl ListWindowDesign[] = {
    {"PrimeList", Kind::ListBox, 240, 120, 1575, 3570, 0, nullptr},
    {"Exit", Kind::Button, 2040, 3120, 1095, 615, 1, "Exit"},
};

// Shown as a run shows it; Enter in the list leaves it open, Enter on Exit closes it.
TEST(ListWindowTest, ShowsItsDesignAndEnterOnExitClosesIt) {
    FPrimeList window;
    support::ModalScript script;
    bool openAfterEnterInList = false;
    bool closedByEnterOnExit = false;
    script.Then([&](QWidget* modal) {
        ASSERT_EQ(modal, &window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(modal));
        support::ExpectDesign(window, "Vodazi List", 3255, 3840, ListWindowDesign);
        EXPECT_EQ(window.Items().Size(), 0u);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(),
                  support::DesignedTabOrder(ListWindowDesign).front());
        EXPECT_EQ(support::TabWalk(), support::DesignedTabOrder(ListWindowDesign));
        QTest::keyClick(window.findChild<QWidget*>("PrimeList"), Qt::Key_Return);
        openAfterEnterInList = window.isVisible();
        auto* exit = window.findChild<QPushButton*>("Exit");
        exit->setFocus();
        QTest::keyClick(exit, Qt::Key_Return);
        closedByEnterOnExit = !window.isVisible();
        if (!closedByEnterOnExit) window.close();  // so that a failure does not hang the test
    });
    window.ShowModal(nullptr);
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(openAfterEnterInList);
    EXPECT_TRUE(closedByEnterOnExit);
}

}  // namespace
}  // namespace vodazi
