#pragma once

// Every text the program shows its user or says to a screen reader, and every line it prints,
// in one place for rewording and translation. The design's texts are the system's own and keep
// their wording exactly, typos included ("Folder dosnt exist", "File exist"). Plain C++, so
// that every folder may include it. The lines of the report file are its format, not texts to
// reword, and stay with it (report/ReportFile.cpp).

#include <string>

namespace vodazi::texts {

// The main window.
inline constexpr const char* MainWindowCaption = "Calculate Vodazi";
inline constexpr const char* StartLabel = "Start with:";
inline constexpr const char* EndLabel = "Stop with:";
inline constexpr const char* LimitHintAtDesign = "?";  // until the window has loaded
inline std::string LimitHint(const std::string& largest) {
    return "max. " + largest;
}
inline constexpr const char* ReportFileCheckBox = "Copy to file";
inline constexpr const char* ReportFileCheckBoxTip =
    "Gibt die Berechnung in die angegebene Datei aus";
inline constexpr const char* ReportFileBoxName = "Report file";  // heard, never shown
inline constexpr const char* CalculateButton = "begin of calculate";
inline constexpr const char* Notice = "Vodazi - prime numbers of a 32-bit range";
inline constexpr const char* ProgressBarName = "Progress";  // heard, never shown

// The list window.
inline constexpr const char* ListWindowCaption = "Vodazi List";
inline constexpr const char* ListName = "Primes";  // heard, never shown
inline constexpr const char* ExitButton = "Exit";

// Message boxes: the title of those without one of their own, then the prompts.
inline constexpr const char* ApplicationTitle = "Vodazi";

inline std::string OutOfRangeMessage(const std::string& largest) {
    return "A value is out of range. Min. is 3 and max. is " + largest;
}
inline constexpr const char* NotANumberMessage = "A value is not a number.";
inline constexpr const char* NotEnoughMemoryMessage = "There is not enough memory for this range.";
inline std::string CalculationFailedMessage(const std::string& what) {
    return "The calculation failed: " + what;
}

inline constexpr const char* LineBreakInFileNameMessage = "A file name cannot hold a line break.";
inline constexpr const char* FolderMissingMessage = "Folder dosnt exist";
inline constexpr const char* OverwriteTitle = "File exist";
inline constexpr const char* OverwriteQuestion = "File exist. Do you want to overwrite?";

// `reason` is the system's own words for the error, without a full stop.
inline std::string CannotWriteMessage(const std::string& name, const std::string& reason,
                                      bool oldReportDamaged) {
    return "Cannot write \"" + name + "\": " + reason + "." +
           (oldReportDamaged ? " The old report is damaged." : "");
}
inline std::string CannotCreateMessage(const std::string& name, const std::string& reason) {
    return "Cannot create \"" + name + "\": " + reason + ".";
}
inline constexpr const char* NotARegularFileReason = "it is not a regular file";
// Where the system has no words for an error number of its own.
inline std::string UnknownErrorReason(int error) {
    return "error " + std::to_string(error);
}

// Lines on standard error, where the program cannot start as it should.
inline constexpr const char* NoDisplayLine =
    "vodazi: no display found; start it on a desktop (no X server or Wayland compositor "
    "reachable)\n";
// Followed by the toolkit's own words, where it gives any.
inline constexpr const char* ThreadRefusedLine =
    "vodazi: cannot start: the system refuses a thread that the windows need";
inline std::string IgnoredScaleSettingLine(const std::string& variable, const std::string& value) {
    return "vodazi: ignoring " + variable + "=" + value +
           ": a scale factor must be a number from 0.25 to 8; starting at the normal scale";
}

}  // namespace vodazi::texts
