#include "calc/CalculationRun.h"

#include <new>

#include "calc/Conversions.h"
#include "calc/UserTexts.h"

namespace vodazi {
namespace {

// Hourglass and progress bar from construction to destruction, so that every way out of a
// run, thrown or returned, leaves the window as it was.
class BusyScope {
  public:
    BusyScope(RunView& view, BusyPointer& pointer) : view_(view), pointer_(pointer) {
        pointer_.SetMousePointer(MousePointer::Hourglass);
        view_.ShowProgressTrack();
        view_.SetProgressFillWidth(0.0f);
        view_.ShowProgressFill();
    }
    ~BusyScope() {
        pointer_.SetMousePointer(MousePointer::Default);
        view_.HideProgressTrack();
        view_.HideProgressFill();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    RunView& view_;
    BusyPointer& pointer_;
};

std::string FailureMessage(const std::exception& failure) {
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) {
        return texts::NotEnoughMemoryMessage;
    }
    if (dynamic_cast<const RunFailure*>(&failure) != nullptr) return failure.what();
    return texts::CalculationFailedMessage(failure.what());
}

}  // namespace

CalculationRun::CalculationRun(const RunServices& services, ScanOptions options)
    : services_(services), options_(options) {}

void CalculationRun::Run() {
    if (running_) return;
    running_ = true;
    RunView& view = services_.view;
    const struct Finished {
        bool& running;
        RunView& view;
        ~Finished() {
            running = false;
            view.RunEnds();
        }
    } finished{running_, view};
    view.RunBegins();

    const BoundValues read =
        ReadBounds(view.StartText(), view.EndText(), services_.numbers.UserForm());
    if (read.status != BoundCheck::Accepted) {
        services_.messages.Show(read.status == BoundCheck::NotANumber
                                    ? texts::NotANumberMessage
                                    : texts::OutOfRangeMessage(IntToText(MaxBound)),
                                MessageButtons::Ok);
        return;
    }
    if (ScanWhileBusy(read)) services_.list.ShowModal();
}

// The part of a run under the hourglass; true when a filled list window is to be shown.
bool CalculationRun::ScanWhileBusy(const BoundValues& read) {
    RunView& view = services_.view;
    BusyScope busy(view, services_.pointer);
    const NormalizedRange normalized = NormalizeRange(read.start, read.end);
    if (normalized.exchanged) {
        view.SetStartText(IntToText(normalized.shownStart));
        view.SetEndText(IntToText(normalized.shownEnd));
    }
    const OutputMode mode = OutputModeOf(view.OutputCheckValue());
    try {
        ScanInto(normalized.bounds, mode);
        return mode == OutputMode::List;
    } catch (const std::exception& failure) {
        services_.messages.Show(FailureMessage(failure), MessageButtons::Ok);
    }
    // Nothing half-done may stay behind: no hidden list, no partial report.
    if (mode == OutputMode::List)
        services_.list.Discard();
    else
        services_.report.Abandon();
    return false;
}

// Returns normally also when the report was abandoned; then there is nothing to show either.
void CalculationRun::ScanInto(const RangeBounds& bounds, OutputMode mode) {
    RunView& view = services_.view;
    const FillWidthSetter setWidth = [&view](float twips) { view.SetProgressFillWidth(twips); };
    if (mode == OutputMode::List) {
        services_.list.Prepare();
        ScanRange(bounds, services_.list, setWidth, options_);
        return;
    }
    ReportOutput& report = services_.report;
    if (!report.Open([&view] { return view.ReportFileName(); })) return;
    report.Header(bounds.start, bounds.end);
    ScanRange(bounds, report, setWidth, options_);
    report.Finish();
}

}  // namespace vodazi
