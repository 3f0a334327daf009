#include "calc/FillProgress.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "calc/Candidates.h"

namespace vodazi {
namespace {

std::uint64_t CountOf(const Candidates& candidates) {
    if (candidates.Empty()) return 0;
    return (std::uint64_t{candidates.last} - candidates.first) / 2 + 1;
}

}  // namespace

ProgressSetup SetUpProgress(const RangeBounds& bounds) {
    const std::int32_t span = bounds.end - bounds.start;
    ProgressSetup setup;
    setup.fillStep = span > 0 ? static_cast<double>(TrackWidth) / static_cast<double>(span) : 0.0;
    return setup;
}

FillWidthChanges::FillWidthChanges(const RangeBounds& bounds)
    : step_(2 * SetUpProgress(bounds).fillStep), count_(CountOf(CandidatesOf(bounds))), acc_(0.0) {}

std::optional<WidthChange> FillWidthChanges::Next() {
    if (!started_) {
        if (count_ == 0) return std::nullopt;
        started_ = true;
        acc_ = acc_ + step_;
        width_ = std::floor(acc_);
        return WidthChange{0, static_cast<float>(width_)};
    }
    // With steps of a large share of a twip the width changes every step or two, and the
    // literal step is the cheaper way to the next change.
    const bool jumps = step_ < LiteralStepsFrom;
    while (index_ + 1 < count_) {
        Advance advance = jumps ? JumpWithinBinade() : Advance::NotApplicable;
        if (advance == Advance::NotApplicable) advance = LiteralStep();
        if (advance == Advance::WidthChanged) {
            width_ = std::floor(acc_);
            return WidthChange{index_, static_cast<float>(width_)};
        }
    }
    index_ = count_;
    return std::nullopt;
}

FillWidthChanges::Advance FillWidthChanges::LiteralStep() {
    if (step_ == 0.0) {  // the fill never moves: nothing changes up to the last candidate
        index_ = count_ - 1;
        return Advance::Moved;
    }
    acc_ = acc_ + step_;
    ++index_;
    return std::floor(acc_) != width_ ? Advance::WidthChanged : Advance::Moved;
}

// Takes two literal steps; when both stay in the accumulator's binade, the second increment
// is the one every further step in that binade adds (after one step an exact tie has made
// the last bit even, so even ties repeat). Then it jumps straight to the next width change,
// the binade's end or the last candidate, whichever comes first.
FillWidthChanges::Advance FillWidthChanges::JumpWithinBinade() {
    if (acc_ <= 0.0 || step_ <= 0.0 || index_ + 2 >= count_) return Advance::NotApplicable;
    // The binade [top / 2, top) and its last place, read off the bits: frexp and ldexp cost
    // more than the rest of a step. The accumulator is positive and far from subnormal.
    const auto biasedExponent = static_cast<std::int64_t>(std::bit_cast<std::uint64_t>(acc_) >> 52);
    const auto powerOfTwo = [](std::int64_t biased) {
        return std::bit_cast<double>(static_cast<std::uint64_t>(biased) << 52);
    };
    const double top = powerOfTwo(biasedExponent + 1);
    const double ulp = powerOfTwo(biasedExponent - 52);

    const double first = acc_ + step_;
    const double second = first + step_;
    if (!(second < top)) return Advance::NotApplicable;
    ++index_;
    acc_ = first;
    if (std::floor(acc_) != width_) return Advance::WidthChanged;

    const double increment = second - first;  // exact: both lie in the same binade
    if (increment <= 0.0) {  // the step vanishes in rounding: the fill stays where it is
        index_ = count_ - 1;
        return Advance::Moved;
    }

    const auto units = [ulp](double x) { return static_cast<std::uint64_t>(x / ulp); };
    const std::uint64_t at = units(first);
    const std::uint64_t perStep = units(increment);
    const std::uint64_t lastInBinade = units(top) - 1;
    const std::uint64_t stepsInBinade = (lastInBinade - at) / perStep;
    const std::uint64_t stepsLeft = count_ - 1 - index_;

    std::uint64_t stepsToChange = std::numeric_limits<std::uint64_t>::max();
    const double nextWidth = width_ + 1.0;
    if (nextWidth < top) stepsToChange = (units(nextWidth) - at + perStep - 1) / perStep;

    const std::uint64_t steps = std::min({stepsToChange, stepsInBinade, stepsLeft});
    index_ += steps;
    acc_ = static_cast<double>(at + steps * perStep) * ulp;
    return steps == stepsToChange ? Advance::WidthChanged : Advance::Moved;
}

}  // namespace vodazi
