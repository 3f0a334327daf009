#include "report/ReportFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ReportRunFixture.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

using testing::Log;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class ReportRunTest : public testing::ReportRunFixture<::testing::Test> {
protected:
    void Run(const std::string& start, const std::string& end) {
        view.start = start;
        view.end = end;
        run.Run();
    }

    void ExpectRestored() const {
        ExpectWindowRestored();
        EXPECT_EQ(list.prepared, 0);
    }
};

const std::string Report3To20 =
    "Beginn: 3\r\nEnde  : 20\r\n\r\n3\r\n5\r\n7\r\n11\r\n13\r\n17\r\n19\r\n--- ENDE ---\r\n";

TEST_F(ReportRunTest, WritesTheExactReportSilently) {
    Run("3", "20");
    EXPECT_EQ(ReadFile(view.fileName), Report3To20);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(FolderListing(), (std::vector<std::string>{"vodazi.txt"}));
    ExpectRestored();
}

TEST_F(ReportRunTest, EmptyRangeGivesHeaderAndTrailerOnly) {
    Run("8", "8");
    EXPECT_EQ(ReadFile(view.fileName), "Beginn: 8\r\nEnde  : 8\r\n\r\n--- ENDE ---\r\n");
}

TEST_F(ReportRunTest, HeaderHoldsTheNormalisedBounds) {
    Run("10", "1");
    EXPECT_EQ(ReadFile(view.fileName), "Beginn: 3\r\nEnde  : 10\r\n\r\n3\r\n5\r\n7\r\n--- ENDE ---\r\n");
    EXPECT_EQ(view.start, "1");
    EXPECT_EQ(view.end, "10");
}

TEST_F(ReportRunTest, LargeReportMatchesTheScan) {
    Run("3", "3000000");
    const std::string text = ReadFile(view.fileName);
    std::istringstream lines(text);
    std::string line;
    std::vector<std::string> all;
    while (std::getline(lines, line)) all.push_back(line);
    ASSERT_EQ(all.size(), 3u + 216815u + 1u);  // pi(3e6) = 216816, less the prime 2
    EXPECT_EQ(all[3], "3\r");
    EXPECT_EQ(all[all.size() - 2], "2999999\r");
    EXPECT_EQ(all.back(), "--- ENDE ---\r");
}

TEST_F(ReportRunTest, AnsweringNoKeepsTheOldReportByteForByte) {
    Run("3", "20");
    messages.answers = {MessageAnswer::No};
    Run("3", "1000");
    EXPECT_EQ(ReadFile(view.fileName), Report3To20);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, "File exist. Do you want to overwrite?");
    EXPECT_EQ(messages.shown[0].title, std::optional<std::string>("File exist"));
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNoDefaultNo);
    ExpectRestored();
}

TEST_F(ReportRunTest, AnsweringYesReplacesTheReportCompletelyAndKeepsItsPermissions) {
    Run("3", "1000");
    fs::permissions(view.fileName, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    messages.answers = {MessageAnswer::Yes};
    Run("3", "20");
    EXPECT_EQ(ReadFile(view.fileName), Report3To20);
    EXPECT_EQ(fs::status(view.fileName).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FolderListing(), (std::vector<std::string>{"vodazi.txt"}));
}

TEST_F(ReportRunTest, MissingFolderCreatesNothing) {
    view.fileName = (folder / "missing" / "vodazi.txt").string();
    Run("3", "20");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, "Folder dosnt exist");
    EXPECT_FALSE(messages.shown[0].title.has_value());
    EXPECT_TRUE(FolderListing().empty());
    EXPECT_EQ(view.widths, (std::vector<float>{0.0f}));
    ExpectRestored();
}

TEST_F(ReportRunTest, TheDesignDefaultNameHasNoFolderHere) {
    view.fileName = "c:\\temp\\vodazi.txt";
    Run("3", "20");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, "Folder dosnt exist");
}

TEST_F(ReportRunTest, ANameWithoutAFolderMeansTheCurrentFolderAndNoNameNoFolder) {
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    view.fileName = "plain-name.txt";
    Run("3", "20");
    EXPECT_EQ(ReadFile(folder / "plain-name.txt"), Report3To20);
    view.fileName = "";
    Run("3", "20");
    fs::current_path(before);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, "Folder dosnt exist");
    EXPECT_EQ(FolderListing(), (std::vector<std::string>{"plain-name.txt"}));
}

TEST_F(ReportRunTest, AFolderPartThatIsAFileIsNoFolder) {
    WriteFile(folder / "plain", "x");
    view.fileName = (folder / "plain" / "vodazi.txt").string();
    Run("3", "20");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, "Folder dosnt exist");
    EXPECT_EQ(ReadFile(folder / "plain"), "x");
}

TEST_F(ReportRunTest, ANameThatIsAFolderIsReportedAndLeftAlone) {
    fs::create_directory(folder / "vodazi.txt");
    Run("3", "20");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].prompt.find(view.fileName), std::string::npos);
    EXPECT_NE(messages.shown[0].prompt.find("not a regular file"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(folder / "vodazi.txt"));
    EXPECT_EQ(FolderListing(), (std::vector<std::string>{"vodazi.txt"}));
    ExpectRestored();
}

TEST_F(ReportRunTest, AFileTooLargeForTheSystemIsReportedAndLosesNothing) {
    Run("3", "20");
    // A child process with a small file-size limit: every write past it fails with EFBIG,
    // as on a full disk, and the old report must survive.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        messages.answers = {MessageAnswer::Yes};
        Run("3", "10000000");
        const bool told = messages.shown.size() == 2 &&
                          messages.shown[1].prompt.find(view.fileName) != std::string::npos &&
                          messages.shown[1].prompt.find("File too large") != std::string::npos;
        const bool restored = pointer.current == MousePointer::Default && !view.trackVisible && !view.fillVisible;
        ::_exit(told && restored ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile(view.fileName), Report3To20);
    EXPECT_EQ(FolderListing(), (std::vector<std::string>{"vodazi.txt"}));
}

TEST(ReportFile, ReadsTheNameAfreshForEachServiceCall) {
    Log log;
    testing::ScriptedMessages messages(log);
    messages.answers = {MessageAnswer::No};
    ReportFile report(messages);
    int asked = 0;
    const fs::path existing = fs::temp_directory_path() / ("vodazi-afresh-" + std::to_string(::getpid()));
    WriteFile(existing, "old");
    EXPECT_FALSE(report.Open([&] {
        ++asked;
        return existing.string();
    }));
    EXPECT_EQ(asked, 2);  // folder, then file; the No answer ends it before creating
    messages.answers = {MessageAnswer::Yes};
    EXPECT_TRUE(report.Open([&] {
        ++asked;
        return existing.string();
    }));
    EXPECT_EQ(asked, 5);
    report.Abandon();
    EXPECT_EQ(ReadFile(existing), "old");
    fs::remove(existing);
}

}  // namespace
}  // namespace vodazi
