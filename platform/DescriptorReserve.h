#pragma once

namespace vodazi {

// On Wayland every new window buffer takes a descriptor for a moment, and a window that
// cannot get one ends the program; a run that has used up the open files would vanish with
// its window. So a few descriptors are held for the windows while the program waits for
// events and while its own code runs, and handed to the toolkit whenever it is about to
// paint a window: a call of ours meets the limit while the windows still have room.

// Takes the reserve once the application object exists, for the life of the program.
void KeepDescriptorReserve();

// The program's own work begins (a click): the reserve is taken back first.
void ReclaimDescriptorReserve();

// A turn of the toolkit inside a run (a repaint pass, a modal window): the reserve is the
// toolkit's while this lives, and taken back, as far as the limit allows, after.
class DescriptorsLent {
  public:
    DescriptorsLent();
    // Has a body on POSIX; on Windows, where it has nothing to do, it is defaulted apart.
    ~DescriptorsLent();  // NOLINT(performance-trivially-destructible)
    DescriptorsLent(const DescriptorsLent&) = delete;
    DescriptorsLent& operator=(const DescriptorsLent&) = delete;
};

}  // namespace vodazi
