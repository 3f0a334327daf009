#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "calc/Conversions.h"

namespace vodazi {
namespace {

TEST(TextToDouble, ReadsDecimalForms) {
    EXPECT_EQ(TextToDouble("3"), 3.0);
    EXPECT_EQ(TextToDouble("-10"), -10.0);
    EXPECT_EQ(TextToDouble("+7"), 7.0);
    EXPECT_EQ(TextToDouble("2147483646.6"), 2147483646.6);
    EXPECT_EQ(TextToDouble(".5"), 0.5);
    EXPECT_EQ(TextToDouble("5."), 5.0);
    EXPECT_EQ(TextToDouble("  42\t"), 42.0);
    EXPECT_EQ(TextToDouble("50\r\n"), 50.0);  // pasted with its line break
    EXPECT_EQ(TextToDouble("\n -7 \r"), -7.0);
    EXPECT_EQ(TextToDouble("1e3"), 1000.0);
    EXPECT_EQ(TextToDouble("2.5E-1"), 0.25);
    EXPECT_EQ(TextToDouble("007"), 7.0);
}

TEST(TextToDouble, RejectsWhatIsNoNumber) {
    for (const char* text : {"",     "   ", "abc",   "inf",   "-inf", "nan",    "NaN",  "infinity",
                             "0x10", "1,5", "1 000", "--5",   "+-5",  "-",      ".",    "e3",
                             "1e",   "1e+", "3a",    "1.2.3", "١٢",   "12\n34", "1\r2", "\r\n"}) {
        EXPECT_FALSE(TextToDouble(text).has_value()) << '"' << text << '"';
    }
}

TEST(TextToDouble, HugeAndTinyNumbersSaturate) {
    EXPECT_EQ(TextToDouble("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(TextToDouble("-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(TextToDouble("0.000001e-400"), 0.0);
    EXPECT_EQ(TextToDouble("123456789e99999999999999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(TextToDouble(std::string(400, '9')), std::numeric_limits<double>::infinity());
}

TEST(DoubleToInt32, RoundsToNearestWithTiesToEven) {
    EXPECT_EQ(DoubleToInt32(2147483646.6), 2147483647);
    EXPECT_EQ(DoubleToInt32(2.5), 2);
    EXPECT_EQ(DoubleToInt32(3.5), 4);
    EXPECT_EQ(DoubleToInt32(-2.5), -2);
    EXPECT_EQ(DoubleToInt32(-2.51), -3);
    EXPECT_EQ(DoubleToInt32(0.49), 0);
    EXPECT_EQ(DoubleToInt32(-2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(DoubleToInt32(-2147483648.5), std::numeric_limits<std::int32_t>::min());
}

TEST(DoubleToInt32, RejectsWhatRoundsOutsideTheRange) {
    for (const double number : {-2147483649.0, -2147483648.51, 2147483647.5, -1e300, 1e300,
                                std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_FALSE(DoubleToInt32(number).has_value()) << number;
    }
}

TEST(IntToText, WritesShortestDecimal) {
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(2147483647), "2147483647");
    EXPECT_EQ(IntToText(-2147483648LL), "-2147483648");
    EXPECT_EQ(IntToText(-10), "-10");
}

}  // namespace
}  // namespace vodazi
