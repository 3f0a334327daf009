#pragma once

#include <cstdint>
#include <optional>

#include "calc/Bounds.h"

namespace vodazi {

// Width of the white progress track in twips; the red fill is measured against it. The
// file-name box and the button above the track are as wide.
inline constexpr std::int32_t TrackWidth = 3975;

// The progress arithmetic of one scan: before candidate i (0-based) the fill holds
// ProgressFill_i = ProgressFill_{i-1} + 2 * FillStep, accumulated in doubles from 0, and the
// fill is set to floor(ProgressFill_i) twips.
struct ProgressSetup {
    double fillStep = 0.0;
};

ProgressSetup SetUpProgress(const RangeBounds& bounds);

struct WidthChange {
    std::uint64_t candidate = 0;  // index of the candidate before whose test it is set
    float twips = 0.0f;
};

// Yields the odd candidates of `bounds` (Candidates.h) at which the fill width changes: the
// first candidate always, then every one whose whole-twip width differs from the one before.
// It gives exactly the widths of the literal accumulation, but without stepping a billion
// times: inside one binade of the accumulator every addition of the same step adds the same
// rounded amount, so the change points follow from integer arithmetic in units of the
// binade's last place.
class FillWidthChanges {
  public:
    explicit FillWidthChanges(const RangeBounds& bounds);

    std::optional<WidthChange> Next();

  private:
    enum class Advance { NotApplicable, Moved, WidthChanged };
    Advance LiteralStep();
    Advance JumpWithinBinade();
    static constexpr double LiteralStepsFrom = 0.25;  // twips per step

    double step_;
    std::uint64_t count_;
    std::uint64_t index_ = 0;  // candidate whose accumulator value acc_ holds
    double acc_;
    double width_ = 0.0;  // floor(acc_) as last reported
    bool started_ = false;
};

}  // namespace vodazi
