// Every call through which a report reaches the system, failed in turn: the first, then the
// second, and so on until a run meets no failure, on each way a report can go; failed once,
// or for good from then on, as a disk that stays broken; each call with an error the system
// really gives it. After every run the user either has the whole new report and was told
// nothing, or was told once why and has the old file as it was; nothing stays behind in the
// folder but a temporary name that the system refused for good to remove. A failure that can
// leave the new report not whole or not on the disk is always told.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <utility>
#include <vector>

#include "report/SystemCalls.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ReportRunFixture.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

using support::ReadFile;
using support::SameBytes;
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

// Two of the errors the system gives each call when it fails.
struct RealErrors {
    Call call;
    const char* name;
    int errors[2];
};

constexpr RealErrors ErrorsOfEachCall[] = {
    {Call::Open, "open", {EACCES, EROFS}},
    {Call::OpenUnnamed, "open O_TMPFILE", {EACCES, EROFS}},
    {Call::Write, "write", {ENOSPC, EDQUOT}},
    {Call::Sync, "fdatasync", {EIO, ENOSPC}},
    {Call::WriteBack, "sync_file_range", {EIO, ENOSPC}},
    {Call::SyncFolder, "fsync of the folder", {EIO, EROFS}},
    {Call::Link, "linkat", {ENOSPC, EDQUOT}},
    {Call::Rename, "rename", {EXDEV, EROFS}},
    {Call::Allocate, "fallocate", {ENOSPC, EDQUOT}},
    {Call::CopyRead, "pread", {EIO, EIO}},
    {Call::CopyWrite, "pwrite", {ENOSPC, EDQUOT}},
    {Call::Truncate, "ftruncate", {EIO, EPERM}},
    {Call::SetMode, "fchmod", {EPERM, EROFS}},
    {Call::SetGroup, "fchown", {EPERM, EROFS}},
    {Call::ListAttributes, "flistxattr", {EIO, EOPNOTSUPP}},
    {Call::Unlink, "unlink", {EIO, EROFS}},
    {Call::Close, "close", {EIO, ENOSPC}},
    {Call::Status, "stat", {EACCES, EIO}},
    {Call::LinkStatus, "lstat", {EACCES, EIO}},
    {Call::FileStatus, "fstat", {EIO, ENOMEM}},
};

const RealErrors& Real(Call call) {
    const RealErrors* const real =
        std::find_if(std::begin(ErrorsOfEachCall), std::end(ErrorsOfEachCall),
                     [call](const RealErrors& row) { return row.call == call; });
    if (real != std::end(ErrorsOfEachCall)) return *real;
    ADD_FAILURE() << "no errors known for call " << static_cast<int>(call);
    return ErrorsOfEachCall[0];
}

// A failure of these leaves a report that is not whole or not safely on the disk: the user
// must be told.
bool LeavesTheReportUnsafe(Call call) {
    switch (call) {
        case Call::Write:
        case Call::CopyRead:
        case Call::CopyWrite:
        case Call::Sync:
        case Call::WriteBack:
        case Call::Allocate:
        case Call::Truncate:
        case Call::Link:
        case Call::Rename:
            return true;
        default:
            return false;
    }
}

struct Failure {
    const char* name;
    int which;        // of each call's two real errors
    bool persistent;  // every call after the first failure fails too
};

constexpr Failure Failures[] = {
    {"once", 0, false},
    {"once, the other errors", 1, false},
    {"for good", 0, true},
};

// What a run with injected faults met: each failed call with its error, in order.
struct Injected {
    std::mutex mutex;  // the writer thread fails calls too
    std::vector<std::pair<Call, int>> failures;
};

constexpr const char* OldReport = "old report\r\n";

bool HiddenTemporaryName(const std::string& name) {
    return name.rfind(".vodazi-", 0) == 0;
}

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

    // One run from the old file, its calls answered by `fault`; the file system offers no
    // O_TMPFILE where the setting says so.
    void RunWith(const system_calls::FaultHook& fault) {
        PlaceOldFile();
        system_calls::SetFaultHook([&, unnamedFiles = GetParam().unnamedFiles](Call call) {
            return call == Call::OpenUnnamed && !unnamedFiles ? EOPNOTSUPP : fault(call);
        });
        run.Run();
        system_calls::SetFaultHook({});
    }

    // One run in which the `nth` call fails as `failure` says; false when the run made fewer
    // calls, and nothing was injected.
    bool RunWithFault(int nth, const Failure& failure, Injected& injected) {
        int seen = 0;
        RunWith([&](Call call) {
            std::lock_guard lock(injected.mutex);
            const bool failing =
                ++seen == nth || (failure.persistent && !injected.failures.empty());
            if (!failing) return 0;
            injected.failures.emplace_back(call, Real(call).errors[failure.which]);
            return injected.failures.back().second;
        });
        return !injected.failures.empty();
    }

    // The folder as the user finds it; a temporary name that the system refused for good to
    // remove stays, as nothing could remove it.
    std::vector<std::string> Kept(std::vector<std::string> names, const Failure& failure,
                                  const Injected& injected) const {
        const bool removalRefused =
            failure.persistent &&
            std::any_of(injected.failures.begin(), injected.failures.end(),
                        [](const auto& failed) { return failed.first == Call::Unlink; });
        if (removalRefused) std::erase_if(names, HiddenTemporaryName);
        return names;
    }

    void ExpectOneOutcome(const Failure& failure, const Injected& injected) {
        const std::size_t asked = GetParam().way == Way::NewFile ? 0 : 1;
        ASSERT_LE(messages.shown.size(), asked + 1);
        ExpectWindowRestored();
        const bool told = messages.shown.size() > asked;
        EXPECT_EQ(Kept(FolderListing(), failure, injected),
                  told || !listing.empty() ? listing : std::vector<std::string>{"vodazi.txt"});
        if (GetParam().way == Way::InPlace) {
            EXPECT_EQ(fs::hard_link_count(view.fileName), 2u);
        }
        if (!told) {
            EXPECT_TRUE(injected.failures.empty() ||
                        !LeavesTheReportUnsafe(injected.failures.front().first))
                << "a failing " << Real(injected.failures.front().first).name << " went untold";
            EXPECT_TRUE(SameBytes(ReadFile(view.fileName), newReport));
            return;
        }
        ASSERT_FALSE(injected.failures.empty());
        const std::string& message = messages.shown.back().prompt;
        // the unfinished report is gone before the user is told
        EXPECT_EQ(Kept(whenTold, failure, injected), listing);
        const auto named = [&message](const auto& failed) {
            return message.find(std::strerror(failed.second)) != std::string::npos;
        };
        EXPECT_TRUE(failure.persistent
                        ? std::any_of(injected.failures.begin(), injected.failures.end(), named)
                        : named(injected.failures.front()))
            << message;
        const bool damaged = message.find("The old report is damaged.") != std::string::npos;
        EXPECT_TRUE(!damaged || GetParam().way == Way::InPlace) << message;
        if (damaged) return;  // the copy over the old report had begun
        EXPECT_EQ(fs::exists(view.fileName), GetParam().way != Way::NewFile);
        if (GetParam().way != Way::NewFile) {
            EXPECT_TRUE(SameBytes(ReadFile(view.fileName), OldReport)) << message;
        }
    }
};

TEST_P(ReportFaultTest, EachCallFailedInTurnLosesNothing) {
    for (const Failure& failure : Failures) {
        int nth = 1;
        for (;; ++nth) {
            Injected injected;
            const bool failed = RunWithFault(nth, failure, injected);
            SCOPED_TRACE(std::string(failure.name) + ", from call " + std::to_string(nth));
            ExpectOneOutcome(failure, injected);
            if (!failed) break;
        }
        EXPECT_GT(nth, 4);
    }
}

TEST_P(ReportFaultTest, ShortAndInterruptedWritesAreNoFailure) {
    for (const int fault : {system_calls::ShortCount, EINTR}) {
        for (int nth = 1;; ++nth) {
            std::atomic<int> seen = 0;
            RunWith([&](Call call) {
                return (call == Call::Write || call == Call::CopyWrite) && ++seen == nth ? fault
                                                                                         : 0;
            });
            SCOPED_TRACE("write " + std::to_string(nth) + " gave " + std::to_string(fault));
            ExpectOneOutcome(Failures[0], Injected{});
            if (seen < nth) break;
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
