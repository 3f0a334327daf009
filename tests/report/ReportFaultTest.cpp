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

#include "ReportRunFixture.h"
#include "report/SystemCalls.h"

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

void PrintTo(const Fault& fault, std::ostream* os) { *os << fault.name; }

class ReportFaultTest : public testing::ReportRunFixture<::testing::TestWithParam<Fault>> {
protected:
    std::atomic<int> calls[4] = {};

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
    system_calls::SetFaultHook([&](Call call) {
        return call == fault.call && ++seen == occurrence ? fault.error : 0;
    });
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

INSTANTIATE_TEST_SUITE_P(
    EveryCall, ReportFaultTest,
    ::testing::Values(Fault{"FirstWrite", Call::Write, 1, ENOSPC}, Fault{"MiddleWrite", Call::Write, 5, EIO},
                      Fault{"LastWrite", Call::Write, 0, ENOSPC}, Fault{"Flush", Call::Flush, 1, EDQUOT},
                      Fault{"Close", Call::Close, 1, EIO}, Fault{"Rename", Call::Rename, 1, EROFS}),
    [](const ::testing::TestParamInfo<Fault>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vodazi
