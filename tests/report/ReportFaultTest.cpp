// Failures of the operating system at each call of a report, injected where the report
// reaches the system: each must be told once, restore the window and keep the old report.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "report/SystemCalls.h"
#include "tests/support/ReportRunFixture.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

using system_calls::Call;

struct Fault {
    const char* name;
    Call call;
    int occurrence;  // 1 = first; 0 = the last of a whole run
    int error;
};

void PrintTo(const Fault& fault, std::ostream* os) {
    *os << fault.name;
}

class ReportFaultTest : public support::ReportRunFixture<::testing::TestWithParam<Fault>> {
  protected:
    std::atomic<int> calls[static_cast<int>(Call::Close) + 1] = {};

    void SetUp() override {
        ReportRunFixture::SetUp();
        view.start = "3";
        view.end = "20000000";  // about 11 MB: many buffers
        std::ofstream(view.fileName, std::ios::binary) << "old report\r\n";
    }
    void TearDown() override {
        system_calls::SetFaultHook({});
        ReportRunFixture::TearDown();
    }

    // Counts the calls of a run that fails nothing.
    int CallsOfAWholeRun(Call call) {
        system_calls::SetFaultHook([this](Call c) {
            ++calls[static_cast<int>(c)];
            return 0;
        });
        messages.answers = {MessageAnswer::Yes};
        run.Run();
        system_calls::SetFaultHook({});
        std::ofstream(view.fileName, std::ios::binary | std::ios::trunc) << "old report\r\n";
        messages.shown.clear();
        return calls[static_cast<int>(call)].exchange(0);
    }
};

TEST_P(ReportFaultTest, IsToldOnceAndLosesNothing) {
    const Fault fault = GetParam();
    const int occurrence = fault.occurrence > 0 ? fault.occurrence : CallsOfAWholeRun(fault.call);
    ASSERT_GE(occurrence, 1);
    std::atomic<int> seen = 0;
    system_calls::SetFaultHook(
        [&](Call call) { return call == fault.call && ++seen == occurrence ? fault.error : 0; });
    messages.answers = {MessageAnswer::Yes};
    run.Run();
    system_calls::SetFaultHook({});

    ASSERT_EQ(messages.shown.size(), 2u);  // the overwrite question, then the failure
    const std::string& told = messages.shown[1].prompt;
    EXPECT_NE(told.find(view.fileName), std::string::npos) << told;
    EXPECT_NE(told.find(std::strerror(fault.error)), std::string::npos) << told;
    EXPECT_FALSE(messages.shown[1].title.has_value());
    ExpectWindowRestored();

    std::ifstream in(view.fileName, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    EXPECT_EQ(contents.str(), "old report\r\n");
    EXPECT_EQ(FolderListing(), (std::vector<std::string>{"vodazi.txt"}));
}

INSTANTIATE_TEST_SUITE_P(EveryCall, ReportFaultTest,
                         ::testing::Values(Fault{"OpenOldReport", Call::Open, 1, EACCES},
                                           Fault{"FirstWrite", Call::Write, 1, ENOSPC},
                                           Fault{"MiddleWrite", Call::Write, 5, EIO},
                                           Fault{"LastWrite", Call::Write, 0, ENOSPC},
                                           Fault{"Sync", Call::Sync, 1, EIO},
                                           Fault{"Link", Call::Link, 1, EDQUOT},
                                           Fault{"Rename", Call::Rename, 1, EROFS}),
                         [](const ::testing::TestParamInfo<Fault>& param) {
                             return std::string(param.param.name);
                         });

// The order of the calls that put a report in place: a crash at any moment leaves the old
// report or the whole new one, and a report that replaces nothing waits for no disk. Once
// the rename is done, a folder that cannot be synced is no failure.
TEST_F(ReportFaultTest, SyncsTheDataBeforeReplacingAndOnlyThen) {
    std::vector<Call> order;
    system_calls::SetFaultHook([&](Call call) {
        if (call == Call::Sync || call == Call::Link || call == Call::Rename ||
            call == Call::SyncFolder) {
            order.push_back(call);
        }
        return call == Call::SyncFolder ? EIO : 0;
    });
    messages.answers = {MessageAnswer::Yes};
    run.Run();
    EXPECT_EQ(order, (std::vector<Call>{Call::Sync, Call::Link, Call::Rename, Call::SyncFolder}));
    EXPECT_EQ(messages.shown.size(), 1u);  // the overwrite question only
    std::ifstream written(view.fileName, std::ios::binary);
    std::string first;
    std::getline(written, first);
    EXPECT_EQ(first, "Beginn: 3\r");
    order.clear();
    view.fileName = (folder / "fresh.txt").string();
    run.Run();
    system_calls::SetFaultHook({});
    EXPECT_EQ(order, (std::vector<Call>{Call::Link}));
    EXPECT_EQ(FolderListing(), (std::vector<std::string>{"fresh.txt", "vodazi.txt"}));
}

// A file with a second link is overwritten in place. A failure found before its first byte
// changes keeps it whole; one during the copy is told, and the file keeps its links.
TEST_F(ReportFaultTest, InPlaceCopyKeepsTheOldReportUntilItsFirstByteChanges) {
    fs::create_hard_link(view.fileName, folder / "second-name.txt");
    for (const auto& [call, occurrence] :
         {std::pair{Call::Allocate, 1}, std::pair{Call::CopyWrite, 3}}) {
        int seen = 0;
        system_calls::SetFaultHook(
            [&](Call c) { return c == call && ++seen == occurrence ? ENOSPC : 0; });
        messages.answers = {MessageAnswer::Yes};
        messages.shown.clear();
        run.Run();
        system_calls::SetFaultHook({});
        ASSERT_EQ(messages.shown.size(), 2u);
        EXPECT_NE(messages.shown[1].prompt.find(std::strerror(ENOSPC)), std::string::npos);
        EXPECT_EQ(messages.shown[1].prompt.find("damaged") != std::string::npos,
                  call == Call::CopyWrite);
        EXPECT_EQ(fs::hard_link_count(view.fileName), 2u);
        EXPECT_EQ(FolderListing(), (std::vector<std::string>{"second-name.txt", "vodazi.txt"}));
        ExpectWindowRestored();
        std::ifstream in(view.fileName, std::ios::binary);
        std::string first;
        std::getline(in, first);
        EXPECT_EQ(first, call == Call::Allocate ? "old report\r" : "Beginn: 3\r")
            << static_cast<int>(call);
    }
}

}  // namespace
}  // namespace vodazi
