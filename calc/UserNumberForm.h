#pragma once

// The form in which the user's numeric locale writes a number, which the bound boxes read
// besides the locale-independent form of Conversions.h.

#include <optional>
#include <string>
#include <string_view>

namespace vodazi {

// Each sign as UTF-8 text. The defaults are the locale-independent form: a decimal point,
// no grouping, the digits 0 to 9; they are what the C locale writes.
struct NumberForm {
    std::string decimalPoint = ".";
    std::string groupSeparator;  // empty where the locale groups no digits
    int groupSize = 3;           // digits in the group next to the decimal point
    int otherGroupSize = 3;      // digits in each group before it (two in India)
    std::string minusSign = "-";
    std::string plusSign = "+";
    std::string exponent = "e";
    char32_t zeroDigit = U'0';  // the locale's digits are the ten code points from it on
};

// The platform's word on the user's numeric locale (LC_NUMERIC).
class NumericLocale {
  public:
    virtual ~NumericLocale() = default;
    virtual NumberForm UserForm() const = 0;
};

// Reads a number written in `form`: blanks and line breaks around it, an optional sign
// (the locale's or '+' and '-'), digits (the locale's or 0 to 9) with group separators
// only between whole groups, an optional decimal separator with digits after it, and an
// optional exponent. Where the separator is a no-break space, any space stands for it.
// Nothing when the text is not in that form.
std::optional<double> TextToDoubleInForm(std::string_view text, const NumberForm& form);

}  // namespace vodazi
