#include "windows/Program.h"

namespace vodazi {

Program::Program(ScanOptions options)
    : run_(RunServices{window_, list_, report_, messages_, pointer_, numbers_}, options) {
    window_.SetCalculation(run_);
}

}  // namespace vodazi
