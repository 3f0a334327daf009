#pragma once

#include <QApplication>
#include <optional>

namespace vodazi {

// The application object and everything the program asks of its system around it, in the
// order that lets a system short of resources still start it or say why: one memory arena
// and no descriptors passed for window images before any thread; the toolkit with its
// display, whose failure or a refused thread is told in one line; then the threads it keeps
// and the descriptors held for the windows. main(), the benchmarks and the tests that start
// the program in a process of its own all start it so.
class ProgramStart {
  public:
    ProgramStart(int& argc, char** argv);
    ProgramStart(const ProgramStart&) = delete;
    ProgramStart& operator=(const ProgramStart&) = delete;

  private:
    std::optional<QApplication> application_;
};

}  // namespace vodazi
