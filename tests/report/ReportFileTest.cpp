#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "calc/ScanRange.h"
#include "report/ReportFile.h"
#include "report/SystemCalls.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ReportRunFixture.h"

namespace fs = std::filesystem;

namespace vodazi {
namespace {

using support::Log;
using support::ReadFile;
using support::SameBytes;

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Runs `body` in a child process and returns how the child ended, as waitpid tells it.
int StatusOfChild(const std::function<bool()>& body) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body() ? 0 : 1);
    int status = -1;
    if (child > 0) ::waitpid(child, &status, 0);
    return status;
}

class ReportRunTest : public support::ReportRunFixture<::testing::Test> {
  protected:
    // A run answering Yes, as user nobody; the folder and `owner` stay root's.
    bool RunAsNobodyTells(const std::string& expected) {
        const passwd* nobody = ::getpwnam("nobody");
        if (::geteuid() != 0 || nobody == nullptr) return false;
        const int status = StatusOfChild([&] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
                ::setuid(nobody->pw_uid) != 0) {
                return false;
            }
            messages.answers = {MessageAnswer::Yes};
            Run("3", "20");
            if (expected.empty()) return messages.shown.size() == 1;
            return messages.shown.size() == 2 &&
                   messages.shown[1].prompt.find(expected) != std::string::npos;
        });
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "as nobody: " << status;
        return true;
    }

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

TEST_F(ReportRunTest, HeaderHoldsTheNormalizedBounds) {
    Run("10", "1");
    EXPECT_EQ(ReadFile(view.fileName),
              "Beginn: 3\r\nEnde  : 10\r\n\r\n3\r\n5\r\n7\r\n--- ENDE ---\r\n");
    EXPECT_EQ(view.start, "1");
    EXPECT_EQ(view.end, "10");
}

// Over several chunks, whose lines the writer holds while the next ones are sieved.
TEST_F(ReportRunTest, LargeReportMatchesTheScan) {
    Run("3", "20000000");
    struct Lines : ResultSink {
        std::string text = "Beginn: 3\r\nEnde  : 20000000\r\n\r\n";
        void Primes(std::span<const std::uint32_t> ascending) override {
            for (const std::uint32_t n : ascending) text += std::to_string(n) + "\r\n";
        }
    } expected;
    const RangeBounds bounds{3, 20'000'000};
    ScanRange(bounds, expected, [](float) {});
    expected.text += "--- ENDE ---\r\n";
    EXPECT_TRUE(SameBytes(ReadFile(view.fileName), expected.text));
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
    fs::permissions(view.fileName,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
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

// The name as the user meant it: a line end pasted with it is dropped, a line break inside
// it is refused, and a name too long to look at is told so, though its folders exist.
TEST_F(ReportRunTest, ANameIsTakenAsMeantOrRefusedWithTheTrueReason) {
    const std::string written = (folder / "t.txt").string();
    std::string tooLong = folder.string();
    while (tooLong.size() <= 4200) tooLong += "/.";
    const struct {
        std::string name;
        std::string told;  // empty: written to t.txt
    } cases[] = {
        {written + "\n", ""},
        {"\r\n" + written + "\r\n", ""},
        {(folder / "t\n.txt").string(), "A file name cannot hold a line break."},
        {tooLong + "/t.txt", "Cannot write \"" + tooLong + "/t.txt\": File name too long."},
    };
    for (const auto& [name, told] : cases) {
        view.fileName = name;
        messages.shown.clear();
        Run("3", "20");
        if (told.empty()) {
            EXPECT_TRUE(messages.shown.empty()) << name;
            EXPECT_EQ(FolderListing(), (std::vector<std::string>{"t.txt"})) << name;
            fs::remove(folder / "t.txt");
        } else {
            ASSERT_EQ(messages.shown.size(), 1u) << name;
            EXPECT_EQ(messages.shown[0].prompt, told);
            EXPECT_TRUE(FolderListing().empty()) << name;
        }
    }
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

// A child process with a file-size limit (ulimit -f): the system writes up to the limit,
// short, and then sends SIGXFSZ, which must not end the program: every write past the limit
// fails with EFBIG, as on a full disk. Far below the report's size, or a byte below it, the
// user is told and loses nothing.
TEST_F(ReportRunTest, AFileTooLargeForTheSystemIsReportedAndLosesNothing) {
    const struct {
        const char* end;
        rlim_t limit;
        bool oldReport;
    } cases[] = {
        {"10000000", rlim_t{64} * 1024, true},
        {"20", Report3To20.size() - 1, false},
    };
    for (const auto& [end, limit, oldReport] : cases) {
        SCOPED_TRACE(end);
        fs::remove(view.fileName);
        if (oldReport) Run("3", "20");
        messages.shown.clear();
        const std::size_t shown = oldReport ? 2 : 1;  // asked first, then told
        const int status = StatusOfChild([&, end = end, limit = limit] {
            const rlimit fileSize{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &fileSize);
            messages.answers = {MessageAnswer::Yes};
            Run("3", end);
            const bool told = messages.shown.size() == shown &&
                              messages.shown.back().prompt ==
                                  "Cannot write \"" + view.fileName + "\": File too large.";
            return told && support::WindowRestored(view, pointer);
        });
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        if (oldReport) {
            EXPECT_TRUE(SameBytes(ReadFile(view.fileName), Report3To20));
            EXPECT_EQ(FolderListing(), (std::vector<std::string>{"vodazi.txt"}));
        } else {
            EXPECT_TRUE(FolderListing().empty());
        }
    }
}

TEST_F(ReportRunTest, AFileTheUserMayNotWriteIsNotReplaced) {
    WriteFile(view.fileName, "root's report");
    fs::permissions(view.fileName,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(folder, fs::perms::all);  // the folder would allow a rename
    if (!RunAsNobodyTells("Permission denied")) GTEST_SKIP() << "needs root to become nobody";
    EXPECT_EQ(ReadFile(view.fileName), "root's report");
    struct stat status {};
    ASSERT_EQ(::stat(view.fileName.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, 0u);
    EXPECT_EQ(FolderListing(), (std::vector<std::string>{"vodazi.txt"}));
}

TEST_F(ReportRunTest, AFileTheUserMayWriteInALockedFolderIsOverwritten) {
    WriteFile(view.fileName, "nobody's report");
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || ::chown(view.fileName.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
        GTEST_SKIP() << "needs root to give a file away";
    }
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    if (!RunAsNobodyTells("")) GTEST_SKIP() << "needs root to become nobody";
    EXPECT_EQ(ReadFile(view.fileName), Report3To20);
    EXPECT_EQ(FolderListing(), (std::vector<std::string>{"vodazi.txt"}));
}

// A file that is more than its bytes (a second name, another owner, user attributes) keeps
// what it is: the same file, overwritten in place, holds the new report only, however much
// longer the old one was.
TEST_F(ReportRunTest, AFileThatIsMoreThanItsBytesStaysThatFile) {
    const passwd* nobody = ::getpwnam("nobody");
    const fs::path secondName = folder / "second-name.txt";
    bool givenAway = false;  // only root may
    const struct {
        const char* what;
        std::function<bool()> make;  // false, errno set, where the file system cannot
        std::function<void()> expectKept;
        std::vector<std::string> listing;
    } cases[] = {
        {"a second link, another owner's",
         [&] {
             fs::create_hard_link(view.fileName, secondName);
             givenAway = nobody != nullptr &&
                         ::chown(view.fileName.c_str(), nobody->pw_uid, nobody->pw_gid) == 0;
             return true;
         },
         [&] {
             EXPECT_EQ(fs::hard_link_count(view.fileName), 2u);
             EXPECT_TRUE(SameBytes(ReadFile(secondName), Report3To20));
             struct stat status {};
             ASSERT_EQ(::stat(view.fileName.c_str(), &status), 0);
             if (givenAway) {
                 EXPECT_EQ(status.st_uid, nobody->pw_uid);
             }
         },
         {"second-name.txt", "vodazi.txt"}},
        {"a user attribute",
         [&] { return ::setxattr(view.fileName.c_str(), "user.kept", "yes", 3, 0) == 0; },
         [&] {
             char value[8] = {};
             EXPECT_EQ(::getxattr(view.fileName.c_str(), "user.kept", value, sizeof value), 3);
             EXPECT_STREQ(value, "yes");
         },
         {"vodazi.txt"}},
    };
    for (const auto& [what, make, expectKept, listing] : cases) {
        SCOPED_TRACE(what);
        fs::remove_all(folder);
        fs::create_directories(folder);
        WriteFile(view.fileName, std::string(100000, 'o'));
        if (!make()) {
            EXPECT_EQ(errno, ENOTSUP);
            continue;
        }
        struct stat before {};
        ASSERT_EQ(::stat(view.fileName.c_str(), &before), 0);
        messages.answers = {MessageAnswer::Yes};
        Run("3", "20");
        struct stat after {};
        ASSERT_EQ(::stat(view.fileName.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_TRUE(SameBytes(ReadFile(view.fileName), Report3To20));
        expectKept();
        EXPECT_EQ(FolderListing(), listing);
    }
}

TEST_F(ReportRunTest, ALinkStandsForTheFileItNamesEvenAMissingOne) {
    fs::create_symlink("target.txt", view.fileName);
    Run("3", "20");
    EXPECT_TRUE(messages.shown.empty());  // no file exists, so nothing to ask
    EXPECT_TRUE(fs::is_symlink(view.fileName));
    EXPECT_EQ(ReadFile(folder / "target.txt"), Report3To20);

    const fs::path intoMissingFolder = folder / "into-missing-folder.txt";
    fs::create_symlink("missing/target.txt", intoMissingFolder);
    view.fileName = intoMissingFolder.string();
    Run("3", "20");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].prompt, "Cannot create \"" +
                                            (folder / "missing/target.txt").string() +
                                            "\": No such file or directory.");
    EXPECT_TRUE(fs::is_symlink(intoMissingFolder));
    EXPECT_EQ(FolderListing(),
              (std::vector<std::string>{"into-missing-folder.txt", "target.txt", "vodazi.txt"}));
}

// A link or a file that another user put in a sticky folder everyone may write, as /tmp,
// steers no report: a plain program may not follow or create through it either. Nothing is
// asked first, though the file it leads to exists.
TEST_F(ReportRunTest, WhatAnotherUserPutInASharedFolderIsRefusedBeforeAnythingIsAsked) {
    fs::create_directory(folder / "private");
    fs::permissions(folder, fs::perms::all | fs::perms::sticky_bit);
    WriteFile(folder / "private" / "existing.txt", "root's report");
    fs::create_symlink(folder / "private" / "victim.txt", folder / "link.txt");
    fs::create_symlink(folder / "private" / "existing.txt", folder / "link-to-existing.txt");
    fs::create_directory_symlink("private", folder / "folder-link");
    WriteFile(folder / "file.txt", "nobody's report");
    const passwd* nobody = ::getpwnam("nobody");
    for (const char* name : {"link.txt", "link-to-existing.txt", "folder-link/victim.txt",
                             "folder-link/existing.txt", "file.txt"}) {
        const fs::path planted = *fs::path(name).begin();  // what nobody put there
        if (nobody == nullptr ||
            ::lchown((folder / planted).c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
            GTEST_SKIP() << "needs root to give a file away";
        }
        view.fileName = (folder / name).string();
        messages.answers = {MessageAnswer::Yes};
        messages.shown.clear();
        Run("3", "20");
        ASSERT_EQ(messages.shown.size(), 1u) << name;
        EXPECT_EQ(messages.shown[0].prompt,
                  "Cannot write \"" + view.fileName + "\": Permission denied.");
    }
    EXPECT_FALSE(fs::exists(folder / "private" / "victim.txt"));
    EXPECT_EQ(ReadFile(folder / "private" / "existing.txt"), "root's report");
    EXPECT_EQ(ReadFile(folder / "file.txt"), "nobody's report");
    EXPECT_EQ(FolderListing(),
              (std::vector<std::string>{"file.txt", "folder-link", "link-to-existing.txt",
                                        "link.txt", "private"}));
}

TEST_F(ReportRunTest, TheLongestNameTheSystemAcceptsIsWritten) {
    const std::string longest(255, 'n');
    view.fileName = (folder / longest).string();
    Run("3", "20");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadFile(folder / longest), Report3To20);
}

// A child ended in the middle of a large report: killed, with the unnamed temporary file;
// and, with the named one that file systems without it need, asked to end, aborted, or
// ended by exit() from another thread, as the toolkit ends when its display goes away.
// Nothing may remain.
TEST_F(ReportRunTest, AReportEndedAnyWayLeavesNothingBehind) {
    WriteFile(view.fileName, "old");
    constexpr int Exit = 0;
    for (const int ending : {SIGKILL, SIGTERM, SIGABRT, Exit}) {
        int midReport[2];
        ASSERT_EQ(::pipe(midReport), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int writes = 0;
            system_calls::SetFaultHook([&](system_calls::Call call) {
                if (call == system_calls::Call::OpenUnnamed && ending != SIGKILL) return EOPNOTSUPP;
                if (call == system_calls::Call::Write && ++writes == 3) {
                    if (ending == SIGABRT) std::abort();
                    if (ending == Exit) std::exit(1);
                    const char byte = 'm';
                    if (::write(midReport[1], &byte, 1) == 1) ::pause();
                }
                return 0;
            });
            messages.answers = {MessageAnswer::Yes};
            Run("3", "400000000");
            ::_exit(0);
        }
        char byte = 0;
        if (ending == SIGKILL || ending == SIGTERM) {
            ASSERT_EQ(::read(midReport[0], &byte, 1), 1);
            EXPECT_EQ(FolderListing().size(), ending == SIGTERM ? 2u : 1u);  // the named file
            ::kill(child, ending);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(midReport[0]);
        ::close(midReport[1]);
        if (ending == Exit) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == ending) << status;
        }
        EXPECT_EQ(FolderListing(), (std::vector<std::string>{"vodazi.txt"})) << ending;
        EXPECT_EQ(ReadFile(view.fileName), "old");
    }
}

}  // namespace
}  // namespace vodazi
