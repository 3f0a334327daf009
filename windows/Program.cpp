#include "windows/Program.h"

namespace vodazi {

Program::Program(ScanOptions options)
    : run_(RunServices{window_, list_, report_, messages_, pointer_, numbers_}, options) {
    QObject::connect(&window_, &RIdizev::CalculationRequested, &window_, [this] { run_.Run(); });
}

}  // namespace vodazi
