#pragma once

namespace vodazi {

// Where the file system offers no unnamed temporary files, a report is written under a
// short name beside its target. This removes that file however the program ends while it
// can still run code: a return from main or exit() anywhere, and every signal that ends it
// by default (SIGTERM, SIGINT, SIGHUP, SIGABRT as abort() raises it, the faults and the
// rest); the program then ends as it would have. The clean-up is installed with the
// first name, and only for signals whose disposition is still the default: a program that
// handles them itself stays in charge. One name at a time, as one report is written at a
// time; only SIGKILL and a power cut can leave that name behind.
void RemoveOnTermination(const char* path) noexcept;
void KeepOnTermination() noexcept;

}  // namespace vodazi
