#pragma once

#include <QRect>
#include <cmath>

namespace vodazi {

// The windows are designed in twips. At 96 dots per inch 15 twips make a pixel; mapping them
// to device-independent pixels lets Qt's scaling keep the proportions on any screen.
inline constexpr double TwipsPerPixel = 15.0;

inline int TwipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / TwipsPerPixel));
}

inline QRect TwipsRect(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

}  // namespace vodazi
