#pragma once

namespace vodazi {

// Where the file system offers no unnamed temporary files, a report is written under a
// short name beside its target. This removes that file when SIGTERM, SIGINT or SIGHUP ends
// the program, which then ends by that signal as it would have. The handler is installed
// with the first name, and only for signals whose disposition is still the default: a
// program that handles them itself stays in charge. One name at a time, as one report is
// written at a time; SIGKILL and a power cut can still leave that name behind.
void RemoveOnTermination(const char* path) noexcept;
void KeepOnTermination() noexcept;

}  // namespace vodazi
