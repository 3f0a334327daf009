#pragma once

// A report-file run through the real ReportFile in a folder of its own, with the window,
// the pointer and the message boxes recorded. Base is the GoogleTest fixture class.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

#include "calc/CalculationRun.h"
#include "report/ReportFile.h"
#include "tests/support/RecordingDoubles.h"

namespace vodazi::support {

template <typename Base>
class ReportRunFixture : public Base {
  protected:
    std::filesystem::path folder;
    Log log;
    RecordingView view{log};
    RecordingPointer pointer{log};
    ScriptedMessages messages{log};
    RecordingList list{log};
    FixedNumbers numbers;
    ReportFile report{messages};
    CalculationRun run{RunServices{view, list, report, messages, pointer, numbers}, ScanOptions{2}};

    void SetUp() override {
        // A parameterised test's name holds a slash, which must not make a nested folder.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        // Another build's run of the same test may be under way at the same time.
        folder = std::filesystem::temp_directory_path() /
                 ("vodazi-report-" + std::to_string(std::random_device()()) + "-" + name);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        view.fileName = (folder / "vodazi.txt").string();
        view.check = CheckBoxValue::Checked;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // Everything in the folder: no temporary file may stay behind.
    std::vector<std::string> FolderListing() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void ExpectWindowRestored() const {
        EXPECT_TRUE(WindowRestored(view, pointer));
        EXPECT_TRUE(list.shownItems.empty());
    }
};

}  // namespace vodazi::support
