// The report file on Windows: the exact report, the default name, the three ways a new
// report takes an old one's place, every call of the file layer failed in turn, and a
// program that dies while writing.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "report/FileService.h"
#include "report/SystemCalls.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ReportRunFixture.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

using support::ReadFile;
using support::SameBytes;
using system_calls::Call;

constexpr const char* OldReport = "old report\r\n";
const std::string Report3To20 =
    "Beginn: 3\r\nEnde  : 20\r\n\r\n3\r\n5\r\n7\r\n11\r\n13\r\n17\r\n19\r\n--- ENDE ---\r\n";

class Win32ReportTest : public support::ReportRunFixture<::testing::Test> {
  protected:
    void Run(const std::string& start, const std::string& end) {
        view.start = start;
        view.end = end;
        run.Run();
    }
    DWORD Attributes() const { return ::GetFileAttributesW(fs::path(view.fileName).c_str()); }
};

TEST_F(Win32ReportTest, WritesTheExactReportAndReplacesItOnlyWhenAsked) {
    Run("3", "20");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadFile(view.fileName), Report3To20);

    std::ofstream(view.fileName, std::ios::binary) << OldReport;
    messages.answers = {MessageAnswer::No};
    Run("3", "20");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "File exist");
    EXPECT_EQ(ReadFile(view.fileName), OldReport);

    messages.answers = {MessageAnswer::Yes};
    Run("3", "20");
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(ReadFile(view.fileName), Report3To20);
    EXPECT_EQ(FolderListing(), std::vector<std::string>{"vodazi.txt"});
    ExpectWindowRestored();
}

// The name the window starts with works as written where its folder exists.
TEST_F(Win32ReportTest, TheDesignDefaultNameWorksWhereItsFolderExists) {
    const fs::path temp = "c:\\temp";
    const bool made = !fs::exists(temp) && fs::create_directory(temp);
    view.fileName = "c:\\temp\\vodazi-test-default.txt";
    Run("3", "20");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadFile(view.fileName), Report3To20);
    fs::remove(view.fileName);
    if (made) fs::remove(temp);

    view.fileName = "c:\\no such folder\\vodazi.txt";
    Run("3", "20");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, "Folder dosnt exist");
    EXPECT_FALSE(fs::exists("c:\\no such folder"));
}

// A name typed with characters outside every ANSI code page reaches the file system whole.
TEST_F(Win32ReportTest, ANameOutsideTheCodePageIsStoredAsTyped) {
    const std::u8string name = u8"Primzahlen \u00e4\u20ac \u7d20\u6570.txt";
    const fs::path expected = folder / name;
    view.fileName = std::string(folder.string() + "\\") + std::string(name.begin(), name.end());
    Run("3", "20");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadFile(expected), Report3To20);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// A file with a second name is written over in place, so that the other name reads the new
// report too; a longer old report is cut to the new one.
TEST_F(Win32ReportTest, AFileWithASecondNameIsOverwrittenInPlaceAndCut) {
    std::ofstream(view.fileName, std::ios::binary) << std::string(100'000, 'x');
    ASSERT_TRUE(
        ::CreateHardLinkW((folder / "link.txt").c_str(), fs::path(view.fileName).c_str(), nullptr));
    messages.answers = {MessageAnswer::Yes};
    Run("3", "20");
    EXPECT_EQ(messages.shown.size(), 1u) << messages.shown.back().prompt;
    EXPECT_TRUE(SameBytes(ReadFile(folder / "link.txt"), Report3To20));
    EXPECT_EQ(FolderListing(), (std::vector<std::string>{"link.txt", "vodazi.txt"}));
}

TEST_F(Win32ReportTest, AReadOnlyFileIsNotReplaced) {
    std::ofstream(view.fileName, std::ios::binary) << OldReport;
    ASSERT_TRUE(::SetFileAttributesW(fs::path(view.fileName).c_str(), FILE_ATTRIBUTE_READONLY));
    messages.answers = {MessageAnswer::Yes};
    Run("3", "20");
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].prompt.rfind("Cannot write \"" + view.fileName + "\": ", 0), 0u)
        << messages.shown[1].prompt;
    EXPECT_EQ(ReadFile(view.fileName), OldReport);
    ::SetFileAttributesW(fs::path(view.fileName).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(FolderListing(), std::vector<std::string>{"vodazi.txt"});
}

// The system deletes the unfinished report however the program ends, even killed.
TEST_F(Win32ReportTest, AProgramEndedWhileWritingLeavesNothingBehind) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const auto stream = FileService().CreateTextFile(view.fileName);
            for (int line = 0; line < 100'000; ++line) stream->WriteLine("2147483647");
            ::TerminateProcess(::GetCurrentProcess(), 3);
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_TRUE(FolderListing().empty());
}

enum class Way { NewFile, Replace, InPlace };

class Win32ReportFaultTest : public support::ReportRunFixture<::testing::TestWithParam<Way>> {
  protected:
    std::string newReport;
    std::vector<std::string> listing;  // the folder before each run
    Call failed = Call::Close;         // the call the last run failed

    void SetUp() override {
        ReportRunFixture::SetUp();
        view.start = "3";
        view.end = "4000000";  // about 2.3 MB: several buffers, several copies in place
        run.Run();
        newReport = ReadFile(view.fileName);
    }
    void TearDown() override {
        system_calls::SetFaultHook({});
        ReportRunFixture::TearDown();
    }

    void PlaceOldFile() {
        fs::remove_all(folder);
        fs::create_directories(folder);
        if (GetParam() != Way::NewFile) std::ofstream(view.fileName, std::ios::binary) << OldReport;
        if (GetParam() == Way::InPlace) fs::create_hard_link(view.fileName, folder / "link");
        listing = FolderListing();
        messages.shown.clear();
        messages.answers = {MessageAnswer::Yes};
    }

    // One run with `fault` given at the `nth` call of the file layer; false when the run
    // made fewer calls, and nothing was injected.
    bool RunWithFault(int nth, int fault) {
        PlaceOldFile();
        int seen = 0;
        failed = Call::Close;
        system_calls::SetFaultHook([&](Call call) {
            if (++seen != nth) return 0;
            failed = call;
            return fault;
        });
        run.Run();
        system_calls::SetFaultHook({});
        return seen >= nth;
    }

    // Either the whole new report, untold, or one message and the old file as it was (or
    // told damaged, in place); nothing else in the folder.
    void ExpectOneOutcome(const std::string& fault, bool mayFail) {
        SCOPED_TRACE(fault);
        const std::size_t asked = GetParam() == Way::NewFile ? 0 : 1;
        ASSERT_LE(messages.shown.size(), asked + 1);
        ExpectWindowRestored();
        EXPECT_EQ(FolderListing(), messages.shown.size() > asked || !listing.empty()
                                       ? listing
                                       : std::vector<std::string>{"vodazi.txt"});
        if (messages.shown.size() == asked) {
            // A failing call that can leave the report short of the disk must be told.
            EXPECT_TRUE(!mayFail || failed == Call::Close || failed == Call::CreateTemporary ||
                        failed == Call::DeleteOnClose)
                << "call " << static_cast<int>(failed) << " failed untold";
            EXPECT_TRUE(SameBytes(ReadFile(view.fileName), newReport));
            return;
        }
        const std::string& told = messages.shown.back().prompt;
        EXPECT_TRUE(mayFail) << told;
        EXPECT_EQ(told.rfind("Cannot ", 0), 0u) << told;
        if (told.find("The old report is damaged.") != std::string::npos) {
            EXPECT_EQ(GetParam(), Way::InPlace) << told;
            return;
        }
        EXPECT_EQ(fs::exists(view.fileName), GetParam() != Way::NewFile);
        if (GetParam() != Way::NewFile) {
            EXPECT_EQ(ReadFile(view.fileName), OldReport) << told;
        }
    }
};

TEST_P(Win32ReportFaultTest, EachCallFailedInTurnLosesNothing) {
    int nth = 1;
    for (; RunWithFault(nth, ERROR_DISK_FULL); ++nth) {
        ExpectOneOutcome("call " + std::to_string(nth) + " failed", true);
    }
    ExpectOneOutcome("no call failed", false);
    EXPECT_GT(nth, 4);
}

TEST_P(Win32ReportFaultTest, ShortWritesAreNoFailure) {
    for (int nth = 1; RunWithFault(nth, system_calls::ShortCount); ++nth) {
        ExpectOneOutcome("call " + std::to_string(nth) + " wrote short", false);
    }
}

std::string NameOf(const ::testing::TestParamInfo<Way>& info) {
    const char* const names[] = {"NewFile", "Replace", "InPlace"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryWay, Win32ReportFaultTest,
                         ::testing::Values(Way::NewFile, Way::Replace, Way::InPlace), NameOf);

}  // namespace
}  // namespace vodazi
