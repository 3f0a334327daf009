#pragma once

#include <QByteArray>
#include <string>
#include <vector>

namespace vodazi {

// Qt takes its scale variables as given: a negative factor crashes the first paint and a huge
// one asks for a backing store larger than any screen. Factors from 0.25 to 8 are used.
bool UsableScaleFactor(const QByteArray& text);
// "1.5;2" or "HDMI-1=1.5;DP-1=2": every factor given must be usable.
bool UsableScreenScaleFactors(const QByteArray& text);

// Removes QT_SCALE_FACTOR and QT_SCREEN_SCALE_FACTORS from the environment when they hold a
// factor that is not usable, so that the program starts at the normal scale; returns one
// warning line for each variable removed. Call it before the application object exists.
std::vector<std::string> DropUnusableScaleSettings();

}  // namespace vodazi
