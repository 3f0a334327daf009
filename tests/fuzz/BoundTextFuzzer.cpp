// Arbitrary bytes as the Start and End texts (split at the first newline): the run must
// either reject them with one message and change nothing, or reach bounds with
// 3 <= start <= end <= 2147483647, and never crash or hit undefined behaviour.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "calc/CalculationRun.h"
#include "calc/Candidates.h"
#include "calc/FillProgress.h"
#include "calc/RangeNormalization.h"
#include "calc/ScanRange.h"
#include "tests/support/RecordingDoubles.h"

namespace {

using namespace vodazi;

void Require(bool condition) {
    if (!condition) std::abort();
}

// The report file is chosen and its open declines, so a run stops right after the bounds:
// everything before the scan runs, and no range, however large, is scanned.
void CheckWholeRun(const std::string& start, const std::string& end) {
    support::Log log;
    support::RecordingView view(log);
    support::RecordingPointer pointer(log);
    support::ScriptedMessages messages(log);
    support::RecordingList list(log);
    support::RecordingReport report(log);
    support::FixedNumbers numbers;
    report.openResult = false;
    view.start = start;
    view.end = end;
    view.check = CheckBoxValue::Checked;
    CalculationRun run(RunServices{view, list, report, messages, pointer, numbers}, ScanOptions{0});
    run.Run();

    Require(support::WindowRestored(view, pointer));
    if (!messages.shown.empty()) {  // rejected: one message inside the run, nothing else
        Require(log.size() == 3 && messages.shown.size() == 1);
        Require(view.start == start && view.end == end);
    } else {
        Require(report.namesAsked.size() == 1);
    }
}

void CheckBoundsOf(const std::string& start, const std::string& end, const NumberForm& form) {
    const BoundValues read = ReadBounds(start, end, form);
    if (read.status != BoundCheck::Accepted) return;
    const RangeBounds bounds = NormalizeRange(read.start, read.end).bounds;
    Require(MinStart <= bounds.start && bounds.start <= bounds.end && bounds.end <= MaxBound);
    const ProgressSetup progress = SetUpProgress(bounds);
    Require(progress.fillStep >= 0.0 && progress.fillStep <= TrackWidth);
    // The odd numbers nearest the bounds inside them, so none left out and none beyond.
    const Candidates candidates = CandidatesOf(bounds);
    const std::int64_t first = candidates.first;
    const std::int64_t last = candidates.last;
    Require(first % 2 == 1 && first - bounds.start >= 0 && first - bounds.start <= 1);
    Require(last % 2 == 1 && bounds.end - last >= 0 && bounds.end - last <= 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\n');
    const std::string start = input.substr(0, split);
    const std::string end = split == std::string::npos ? std::string() : input.substr(split + 1);
    CheckWholeRun(start, end);
    CheckBoundsOf(start, end, NumberForm{});
    NumberForm german;  // a decimal comma, and points between groups of three
    german.decimalPoint = ",";
    german.groupSeparator = ".";
    CheckBoundsOf(start, end, german);
    return 0;
}
