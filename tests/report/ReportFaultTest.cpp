// Every call through which a report reaches the system, failed in turn: the first, then the
// second, and so on until a run meets no failure, on each way a report can go. After every
// run the user either has the whole new report and was told nothing, or was told once and
// has the old file as it was; nothing stays behind in the folder.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "report/SystemCalls.h"
#include "tests/support/ReportRunFixture.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

using system_calls::Call;

enum class Way { NewFile, Rename, InPlace };

struct Setting {
    Way way;
    bool unnamedFiles;  // the file system offers O_TMPFILE
};

std::string Describe(const Setting& setting) {
    const char* const ways[] = {"NewFile", "Rename", "InPlace"};
    return ways[static_cast<int>(setting.way)] +
           std::string(setting.unnamedFiles ? "Unnamed" : "Named");
}

void PrintTo(const Setting& setting, std::ostream* os) {
    *os << Describe(setting);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

constexpr const char* OldReport = "old report\r\n";

class ReportFaultTest : public support::ReportRunFixture<::testing::TestWithParam<Setting>> {
  protected:
    std::string newReport;
    std::vector<std::string> listing;   // the folder before each run
    std::vector<std::string> whenTold;  // and while the last message was shown

    void SetUp() override {
        ReportRunFixture::SetUp();
        view.start = "3";
        view.end = "4000000";  // about 2.3 MB: several buffers, several copies in place
        run.Run();
        newReport = ReadFile(view.fileName);
        messages.whileShown = [this] { whenTold = FolderListing(); };
    }
    void TearDown() override {
        system_calls::SetFaultHook({});
        ReportRunFixture::TearDown();
    }

    void PlaceOldFile() {
        fs::remove_all(folder);
        fs::create_directories(folder);
        if (GetParam().way != Way::NewFile) std::ofstream(view.fileName) << OldReport;
        if (GetParam().way == Way::InPlace) fs::create_hard_link(view.fileName, folder / "link");
        if (GetParam().way == Way::Rename) {  // another group, which root may give: SetGroup runs
            EXPECT_TRUE(::chown(view.fileName.c_str(), static_cast<uid_t>(-1), 1) == 0 ||
                        ::geteuid() != 0);
        }
        listing = FolderListing();
        messages.shown.clear();
        messages.answers = {MessageAnswer::Yes};
    }

    // One run with `fault` given at the `nth` call counted by `counts`; false when the run
    // made fewer such calls, and nothing was injected.
    bool RunWithFault(int nth, int fault, bool (*counts)(Call)) {
        PlaceOldFile();
        std::atomic<int> seen = 0;
        const bool unnamedFiles = GetParam().unnamedFiles;
        system_calls::SetFaultHook([&](Call call) {
            if (call == Call::OpenUnnamed && !unnamedFiles) return EOPNOTSUPP;
            return counts(call) && ++seen == nth ? fault : 0;
        });
        run.Run();
        system_calls::SetFaultHook({});
        return seen >= nth;
    }

    void ExpectOneOutcome(const std::string& fault, bool mayFail) {
        SCOPED_TRACE(fault);
        const std::size_t asked = GetParam().way == Way::NewFile ? 0 : 1;
        ASSERT_LE(messages.shown.size(), asked + 1);
        ExpectWindowRestored();
        EXPECT_EQ(FolderListing(), messages.shown.size() > asked || !listing.empty()
                                       ? listing
                                       : std::vector<std::string>{"vodazi.txt"});
        if (GetParam().way == Way::InPlace) {
            EXPECT_EQ(fs::hard_link_count(view.fileName), 2u);
        }
        if (messages.shown.size() == asked) {
            EXPECT_EQ(ReadFile(view.fileName), newReport);
            return;
        }
        EXPECT_TRUE(mayFail);
        const std::string& told = messages.shown.back().prompt;
        EXPECT_EQ(whenTold, listing);  // the unfinished report is gone before the user is told
        EXPECT_NE(told.find(std::strerror(EIO)), std::string::npos) << told;
        const bool damaged = told.find("The old report is damaged.") != std::string::npos;
        EXPECT_TRUE(!damaged || GetParam().way == Way::InPlace) << told;
        if (damaged) return;  // the copy over the old report had begun
        EXPECT_EQ(fs::exists(view.fileName), GetParam().way != Way::NewFile);
        if (GetParam().way != Way::NewFile) {
            EXPECT_EQ(ReadFile(view.fileName), OldReport) << told;
        }
    }
};

bool AnyCall(Call) {
    return true;
}

bool AnyWrite(Call call) {
    return call == Call::Write || call == Call::CopyWrite;
}

TEST_P(ReportFaultTest, EachCallFailedInTurnLosesNothing) {
    int nth = 1;
    for (; RunWithFault(nth, EIO, AnyCall); ++nth) {
        ExpectOneOutcome("call " + std::to_string(nth) + " failed", true);
    }
    ExpectOneOutcome("no call failed", false);
    EXPECT_GT(nth, 4);
}

TEST_P(ReportFaultTest, ShortAndInterruptedWritesAreNoFailure) {
    for (const int fault : {system_calls::ShortCount, EINTR}) {
        for (int nth = 1; RunWithFault(nth, fault, AnyWrite); ++nth) {
            ExpectOneOutcome("write " + std::to_string(nth) + " gave " + std::to_string(fault),
                             false);
        }
    }
}

std::string NameOf(const ::testing::TestParamInfo<Setting>& info) {
    return Describe(info.param);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, ReportFaultTest,
                         ::testing::Values(Setting{Way::NewFile, true},
                                           Setting{Way::NewFile, false}, Setting{Way::Rename, true},
                                           Setting{Way::Rename, false}, Setting{Way::InPlace, true},
                                           Setting{Way::InPlace, false}),
                         NameOf);

using ReportCallOrderTest = support::ReportRunFixture<::testing::Test>;

// The order of the calls that put a report in place: a crash at any moment leaves the old
// report or the whole new one, and a report that replaces nothing waits for no disk.
TEST_F(ReportCallOrderTest, SyncsTheDataBeforeReplacingAndOnlyThen) {
    std::ofstream(view.fileName) << OldReport;
    std::vector<Call> order;
    system_calls::SetFaultHook([&](Call call) {
        if (call == Call::Sync || call == Call::Link || call == Call::Rename ||
            call == Call::SyncFolder) {
            order.push_back(call);
        }
        return 0;
    });
    messages.answers = {MessageAnswer::Yes};
    run.Run();
    EXPECT_EQ(order, (std::vector<Call>{Call::Sync, Call::Link, Call::Rename, Call::SyncFolder}));
    order.clear();
    view.fileName = (folder / "fresh.txt").string();
    run.Run();
    system_calls::SetFaultHook({});
    EXPECT_EQ(order, (std::vector<Call>{Call::Link}));
    EXPECT_EQ(FolderListing(), (std::vector<std::string>{"fresh.txt", "vodazi.txt"}));
}

// Where the file system keeps no permissions (FAT, exFAT: chmod fails with EPERM, and there
// is no O_TMPFILE), a plain file of the user's own is still replaced by a rename, never
// overwritten in place.
TEST_F(ReportCallOrderTest, WithoutPermissionsToKeepTheRenameStays) {
    std::ofstream(view.fileName) << OldReport;
    std::vector<Call> ways;
    system_calls::SetFaultHook([&](Call call) {
        if (call == Call::Rename || call == Call::CopyWrite) ways.push_back(call);
        if (call == Call::OpenUnnamed) return EOPNOTSUPP;
        return call == Call::SetMode ? EPERM : 0;
    });
    messages.answers = {MessageAnswer::Yes};
    run.Run();
    system_calls::SetFaultHook({});
    EXPECT_EQ(ways, std::vector<Call>{Call::Rename});
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(FolderListing(), (std::vector<std::string>{"vodazi.txt"}));
}

}  // namespace
}  // namespace vodazi
