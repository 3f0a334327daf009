#pragma once

namespace vodazi {

// A window must still paint when a run has used up threads or file descriptors, so that the
// run's message can be read and answered. The toolkit would take both while painting; these
// take them at start-up instead, or do without them.

// The raster engine splits a large gradient fill (a scroll bar, a button) across the global
// thread pool and waits for the parts. A pool thread that cannot be created when the fill
// comes takes its part with it, and the wait never ends. So the pool's threads are started
// here, while there are resources, and kept for the life of the program, never expiring.
// Call it once the application object exists (StartToolkitThreads does).
void KeepPaintingThreads();

// The fills of these small windows come in a few parts of 64 rows: two threads paint them as
// fast as more would, and cost little to keep; one paints them too.
inline constexpr int KeptPaintingThreads = 2;

// On X11 the image of each new window is shared with the server through a memory segment
// whose descriptor comes back over the connection; with no descriptor left to receive it the
// connection breaks inside that reply, and the program ends or stops for good. The images
// go over the connection itself instead. Call it before the application object exists.
void PaintWithoutPassingDescriptors();

}  // namespace vodazi
