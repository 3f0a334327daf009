#pragma once

namespace vodazi {

// The C library gives each thread that allocates an arena of its own and reserves 64 MB of
// address space for each at once, almost none of it ever used: with the toolkit's threads
// that was two thirds of the program's address space at rest, and a limit on it then refused
// even the smallest run. The program's threads allocate little and seldom (a sieve or a
// buffer once per run), so they all share the one arena. Call it first in main(), before
// any thread starts.
void ShareOneMemoryArena();

}  // namespace vodazi
