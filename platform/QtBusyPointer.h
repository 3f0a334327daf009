#pragma once

#include "calc/BusyPointer.h"

namespace vodazi {

// The application-wide pointer: the hourglass is an override cursor over every window.
class QtBusyPointer : public BusyPointer {
  public:
    ~QtBusyPointer() override;
    void SetMousePointer(MousePointer pointer) override;

  private:
    void Override(bool busy);

    bool overriding_ = false;
};

}  // namespace vodazi
