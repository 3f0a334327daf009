#pragma once

namespace vodazi {

// The values of the check box "Copy to file", as the forms runtime numbered them.
enum class CheckBoxValue { Unchecked = 0, Checked = 1, Greyed = 2 };

enum class OutputMode { ReportFile, List };

// Report-file mode only when the check box is exactly checked; greyed counts as unchecked.
constexpr OutputMode OutputModeOf(CheckBoxValue value) {
    return value == CheckBoxValue::Checked ? OutputMode::ReportFile : OutputMode::List;
}

}  // namespace vodazi
