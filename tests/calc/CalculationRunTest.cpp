#include <gtest/gtest.h>

#include <algorithm>

#include "calc/CalculationRun.h"
#include "tests/support/RecordingDoubles.h"

namespace vodazi {
namespace {

using support::Log;

// A run with every collaborator recorded, driven as the main window would drive it.
class CalculationRunTest : public ::testing::Test {
  protected:
    Log log;
    support::RecordingView view{log};
    support::RecordingPointer pointer{log};
    support::ScriptedMessages messages{log};
    support::RecordingList list{log};
    support::RecordingReport report{log};
    support::FixedNumbers numbers;
    CalculationRun run{RunServices{view, list, report, messages, pointer, numbers}, ScanOptions{2}};

    void Run(const std::string& start, const std::string& end,
             CheckBoxValue check = CheckBoxValue::Unchecked) {
        view.start = start;
        view.end = end;
        view.check = check;
        log.clear();
        view.widths.clear();
        run.Run();
    }

    void ExpectWindowRestored() const { EXPECT_TRUE(support::WindowRestored(view, pointer)); }
};

TEST_F(CalculationRunTest, ListModeRunsAllStepsInOrder) {
    Run("10", "1");
    EXPECT_EQ(log, (Log{"run+", "pointer=11", "track+", "width", "fill+", "start=1", "end=10",
                        "list:prepare", "list:first-item", "pointer=0", "track-", "fill-",
                        "list:show", "run-"}));
    EXPECT_EQ(list.shownItems, (std::vector<std::uint32_t>{3, 5, 7}));
    EXPECT_EQ(view.widths.front(), 0.0f);  // the empty fill before the scan
    ExpectWindowRestored();
}

// Each run's progress starts from nothing, whatever ran before.
TEST_F(CalculationRunTest, EveryRunSetsItsOwnWidthsFromAnEmptyFill) {
    Run("3", "1000");
    EXPECT_EQ(view.widths[1], 7.0f);
    EXPECT_EQ(view.widths.back(), 3978.0f);
    Run("8", "8");
    EXPECT_EQ(view.widths, (std::vector<float>{0.0f}));  // no candidate, no width but the reset
    EXPECT_EQ(std::count(log.begin(), log.end(), "list:show"), 1);
    Run("3", "20");
    EXPECT_EQ(view.widths[1], 467.0f);
}

TEST_F(CalculationRunTest, OutOfRangeChangesNothing) {
    for (const auto& [start, end] :
         {std::pair{"2147483648", "1000"}, std::pair{"3", "2147483647.4"},
          std::pair{"-2147483649", "5"}}) {
        Run(start, end);
        EXPECT_EQ(log,
                  (Log{"run+", "message:A value is out of range. Min. is 3 and max. is 2147483647",
                       "run-"}));
        ASSERT_EQ(messages.shown.back().buttons, MessageButtons::Ok);
        EXPECT_FALSE(messages.shown.back().title.has_value());
        EXPECT_EQ(view.start, start);
        EXPECT_EQ(view.end, end);
    }
}

TEST_F(CalculationRunTest, TextThatIsNoNumberEndsBeforeTheBusyState) {
    for (const std::string bad : {"", "  ", "abc", "nan", "0x1F"}) {
        Run(bad, "1000");
        EXPECT_EQ(log, (Log{"run+", "message:A value is not a number.", "run-"}))
            << '"' << bad << '"';
        EXPECT_FALSE(messages.shown.back().title.has_value());
        EXPECT_EQ(list.prepared, 0);
    }
}

TEST_F(CalculationRunTest, ReportModeWritesHeaderPrimesAndTrailerWithoutAList) {
    Run("10", "1", CheckBoxValue::Checked);
    EXPECT_EQ(report.lines, (std::vector<std::string>{"Beginn: 3", "Ende  : 10", "", "3", "5", "7",
                                                      "--- ENDE ---"}));
    EXPECT_EQ(log, (Log{"run+", "pointer=11", "track+", "width", "fill+", "start=1", "end=10",
                        "report:open", "report:header", "report:finish", "pointer=0", "track-",
                        "fill-", "run-"}));
    EXPECT_EQ(report.namesAsked, (std::vector<std::string>{"report.txt"}));
    EXPECT_TRUE(messages.shown.empty());  // a written report ends silently
}

TEST_F(CalculationRunTest, AbandonedReportScansNothing) {
    report.openResult = false;
    Run("3", "1000", CheckBoxValue::Checked);
    EXPECT_EQ(log, (Log{"run+", "pointer=11", "track+", "width", "fill+", "report:abandoned",
                        "pointer=0", "track-", "fill-", "run-"}));
    EXPECT_EQ(view.widths, (std::vector<float>{0.0f}));
    ExpectWindowRestored();
}

TEST_F(CalculationRunTest, AFailingReportIsToldAndTheWindowRestored) {
    report.failAfterPrimes = 100;
    Run("3", "100000", CheckBoxValue::Checked);
    const auto at = [this](const std::string& entry) {
        return std::find(log.begin(), log.end(), entry) - log.begin();
    };
    EXPECT_LT(at("message:disk full"), at("report:abandon"));
    EXPECT_LT(at("report:abandon"), at("pointer=0"));
    EXPECT_EQ(std::count(log.begin(), log.end(), "report:finish"), 0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "list:show"), 0);
    ExpectWindowRestored();
}

}  // namespace
}  // namespace vodazi
