#include "platform/ProgramStart.h"
#include "windows/Program.h"

int main(int argc, char** argv) {
    vodazi::ProgramStart start(argc, argv);
    vodazi::Program program;
    program.MainWindow().show();
    return QApplication::exec();
}
