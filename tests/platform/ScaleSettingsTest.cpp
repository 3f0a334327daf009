#include <gtest/gtest.h>

#include "platform/ScaleSettings.h"

namespace vodazi {
namespace {

TEST(ScaleSettings, UsesOnlyFactorsThatDrawAWindow) {
    for (const char* usable : {"1", "1.5", " 2", "0.25", "8"}) {
        EXPECT_TRUE(UsableScaleFactor(usable)) << usable;
    }
    for (const char* unusable : {"-1", "0", "abc", "", "nan", "inf", "1e6", "0.01", "1,5"}) {
        EXPECT_FALSE(UsableScaleFactor(unusable)) << unusable;
    }
    for (const char* usable : {"1.5", "1;2", "HDMI-1=1.5;DP-1=2", "2;"}) {
        EXPECT_TRUE(UsableScreenScaleFactors(usable)) << usable;
    }
    for (const char* unusable : {"-1", "1;0", "DP-1=abc", "DP-1=100", "1;x"}) {
        EXPECT_FALSE(UsableScreenScaleFactors(unusable)) << unusable;
    }
}

TEST(ScaleSettings, DropsOnlyTheUnusableVariableWithOneWarning) {
    qputenv("QT_SCALE_FACTOR", "-1");
    qputenv("QT_SCREEN_SCALE_FACTORS", "1;2");
    const auto warnings = DropUnusableScaleSettings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("QT_SCALE_FACTOR=-1"), std::string::npos);
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_SCALE_FACTOR"));
    EXPECT_EQ(qgetenv("QT_SCREEN_SCALE_FACTORS"), "1;2");
    qunsetenv("QT_SCREEN_SCALE_FACTORS");
}

}  // namespace
}  // namespace vodazi
