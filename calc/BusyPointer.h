#pragma once

namespace vodazi {

// The shapes of the application-wide mouse pointer, by the numbers the forms runtime gave them.
enum class MousePointer { Default = 0, Hourglass = 11 };

class BusyPointer {
  public:
    virtual ~BusyPointer() = default;
    virtual void SetMousePointer(MousePointer pointer) = 0;
};

}  // namespace vodazi
