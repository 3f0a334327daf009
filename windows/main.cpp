#include <QApplication>
#include <cstdio>

#include "platform/DisplayFailure.h"
#include "platform/ScaleSettings.h"
#include "report/ReportFile.h"
#include "windows/RIdizev.h"

int main(int argc, char** argv) {
    for (const std::string& warning : vodazi::DropUnusableScaleSettings()) {
        std::fprintf(stderr, "%s\n", warning.c_str());
    }
    // Qt itself tries every display it is given; only its failure is put in our words.
    vodazi::DisplayFailureWatch displayWatch;
    QApplication app(argc, argv);
    displayWatch.Release();
    QApplication::setApplicationName("Vodazi");

    vodazi::QtMessageBox messages;
    vodazi::ReportFile report(messages);
    vodazi::RIdizev mainWindow(report);
    mainWindow.show();
    return QApplication::exec();
}
