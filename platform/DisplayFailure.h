#pragma once

#include <QtGlobal>

namespace vodazi {

// When the toolkit finds no display it can use (none set, a name it cannot reach, a screen
// that does not exist), its platform plugin ends the program with many lines and an abort.
// While a watch is active, that failure is told in the program's one line instead
// (texts::NoDisplayLine), with exit status 2; the toolkit's own lines about it are held back
// and shown only if it starts after all.
class DisplayFailureWatch {
  public:
    DisplayFailureWatch();
    ~DisplayFailureWatch();
    DisplayFailureWatch(const DisplayFailureWatch&) = delete;
    DisplayFailureWatch& operator=(const DisplayFailureWatch&) = delete;

    // The display is open: hands back the messages held so far and stops watching.
    void Release();

  private:
    QtMessageHandler previous_ = nullptr;
    bool active_ = false;
};

}  // namespace vodazi
