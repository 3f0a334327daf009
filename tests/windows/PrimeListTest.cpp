#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <memory>

#include "calc/ScanRange.h"
#include "windows/FPrimeList.h"
#include "windows/PrimeListView.h"

namespace vodazi {
namespace {

class PrimeListViewTest : public ::testing::Test {
  protected:
    FPrimeList window;
    void SetUp() override {
        for (std::uint32_t n = 3; n < 200000; n += 2)
            window.Items().Append(n);  // not primes; any ascending odd list
        List().ItemsChanged();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        List().setFocus();
    }
    PrimeListView& List() { return *window.findChild<PrimeListView*>("PrimeList"); }
};

TEST_F(PrimeListViewTest, KeysMoveTheSelectionAndKeepItInView) {
    EXPECT_EQ(List().CurrentRow(), -1);
    QTest::keyClick(&List(), Qt::Key_Down);
    EXPECT_EQ(List().CurrentRow(), 0);
    QTest::keyClick(&List(), Qt::Key_End);
    EXPECT_EQ(List().CurrentRow(), 99998);
    EXPECT_GE(List().TopRow() + List().VisibleRows(), 99999);
    QTest::keyClick(&List(), Qt::Key_PageUp);
    EXPECT_EQ(List().CurrentRow(), 99998 - (List().VisibleRows() - 1));
    QTest::keyClick(&List(), Qt::Key_Home);
    EXPECT_EQ(List().CurrentRow(), 0);
    EXPECT_EQ(List().TopRow(), 0);
    QTest::keyClick(&List(), Qt::Key_Up);
    EXPECT_EQ(List().CurrentRow(), 0);
    QTest::keyClick(&List(), Qt::Key_PageDown);
    EXPECT_EQ(List().CurrentRow(), List().VisibleRows() - 1);
}

TEST_F(PrimeListViewTest, ClickSelectsTheRowAndCtrlCCopiesIt) {
    const int row = 3;
    QTest::mouseClick(List().viewport(), Qt::LeftButton, {},
                      QPoint(10, row * List().RowHeight() + 2));
    EXPECT_EQ(List().CurrentRow(), row);
    QTest::keyClick(&List(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "9");
}

TEST_F(PrimeListViewTest, ScrollBarCountsRowsAndTheWheelScrollsThePlatformLines) {
    EXPECT_EQ(List().verticalScrollBar()->maximum(), 99999 - List().VisibleRows());
    List().verticalScrollBar()->setValue(500);
    EXPECT_EQ(List().TopRow(), 500);
    const QPointF inside(10, 10);
    QWheelEvent notchDown(inside, List().viewport()->mapToGlobal(inside), {}, QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(List().viewport(), &notchDown);
    EXPECT_EQ(List().TopRow(), 500 + QApplication::wheelScrollLines());
}

// A screen reader learns the list's size and each row's place from the list itself, as a table
// of one column, and follows the current row; a client that walks every row makes no more
// than a screenful of them exist at once.
TEST_F(PrimeListViewTest, ScreenReadersLearnTheSizeAndEachRowsPlaceAndFollowTheCurrentRow) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&List());
    ASSERT_NE(list, nullptr);
    QAccessibleTableInterface* table = list->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(list->childCount(), 99999);
    EXPECT_EQ(table->rowCount(), 99999);
    EXPECT_EQ(table->columnCount(), 1);
    EXPECT_EQ(list->child(1)->role(), QAccessible::ListItem);
    EXPECT_EQ(list->child(1)->text(QAccessible::Name), "5");
    EXPECT_FALSE(list->child(1)->state().selected);
    EXPECT_EQ(table->cellAt(70000, 0)->text(QAccessible::Name), List().ItemText(70000));

    QTest::keyClick(&List(), Qt::Key_Down);
    EXPECT_TRUE(list->child(0)->state().selected);
    EXPECT_TRUE(list->child(0)->state().focused);
    EXPECT_EQ(table->selectedRows(), QList<int>{0});
    QTest::keyClick(&List(), Qt::Key_End);
    ASSERT_NE(list->focusChild(), nullptr);
    EXPECT_EQ(list->focusChild()->text(QAccessible::Name), "199999");
    EXPECT_EQ(list->indexOfChild(list->focusChild()), 99998);
    EXPECT_EQ(list->focusChild()->tableCellInterface()->rowIndex(), 99998);
    EXPECT_EQ(table->selectedRows(), QList<int>{99998});

    std::vector<std::pair<QAccessible::Id, QAccessibleInterface*>> walked;
    for (int row = 0; row < 10000; ++row) {
        QAccessibleInterface* item = list->child(row);
        walked.emplace_back(QAccessible::uniqueId(item), item);
    }
    const auto stillThere = std::count_if(walked.begin(), walked.end(), [list](const auto& seen) {
        QAccessibleInterface* item = QAccessible::accessibleInterface(seen.first);
        return item == seen.second && list->indexOfChild(item) >= 0;
    });
    EXPECT_LE(stillThere, List().VisibleRows() + 3);
}

// Takes the scan's primes into a list window, as a list-mode run does.
class ListItemsSink : public ResultSink {
  public:
    explicit ListItemsSink(FPrimeList& window) : window_(window) {}
    void Primes(std::span<const std::uint32_t> ascending) override {
        window_.Items().Append(ascending);
    }

  private:
    FPrimeList& window_;
};

// The list of a whole-range run, filled by the first test that needs it and kept for the
// others. Filling it in SetUp, not in a suite set-up, makes a failing fill fail each test.
class TypeAheadTest : public ::testing::Test {
  protected:
    static inline std::unique_ptr<FPrimeList> window;

    static void TearDownTestSuite() { window.reset(); }

    void SetUp() override {
        if (window == nullptr) {
            auto filled = std::make_unique<FPrimeList>();
            ListItemsSink sink(*filled);
            const RangeBounds whole{MinStart, MaxBound};
            ScanRange(whole, sink, [](float) {});
            ASSERT_EQ(filled->Items().Size(), 105'097'564u);  // pi(2^31 - 1) less the prime 2
            window = std::move(filled);
            List().ItemsChanged();
        }
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        List().setFocus();
        List().SetCurrentRow(0);
        List().KeyboardSearch(QString());
    }

    static PrimeListView& List() { return *window->findChild<PrimeListView*>("PrimeList"); }
    static QString Current() { return List().ItemText(List().CurrentRow()); }
    static void Pause() { QTest::qWait(QApplication::keyboardInputInterval() + 100); }
};

TEST_F(TypeAheadTest, TypingAPrimeSelectsItAndOtherKeysDoNotSearch) {
    QTest::keyClicks(&List(), "1000003");
    EXPECT_EQ(Current(), "1000003");
    Pause();
    QTest::keyClicks(&List(), "2147483647");
    EXPECT_EQ(List().CurrentRow(), List().RowCount() - 1);
    Pause();
    QTest::keyClicks(&List(), "x-");
    EXPECT_EQ(List().CurrentRow(), List().RowCount() - 1);
}

TEST_F(TypeAheadTest, AFreshSearchGoesPastTheCurrentItemAndWraps) {
    QTest::keyClicks(&List(), "13");  // 11, then 13: typed together they extend the search
    EXPECT_EQ(Current(), "13");
    Pause();
    QTest::keyClicks(&List(), "13");
    EXPECT_EQ(Current(), "131");
    QTest::keyClick(&List(), Qt::Key_End);
    Pause();
    QTest::keyClicks(&List(), "3");
    EXPECT_EQ(Current(), "3");
    Pause();
    QTest::keyClicks(&List(), "3");
    EXPECT_EQ(Current(), "31");
}

}  // namespace
}  // namespace vodazi
