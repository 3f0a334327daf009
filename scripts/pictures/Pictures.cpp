// Renders the windows to PNG files for the README: the main window at start-up, during a
// whole-range run and at 200 % scale, and the list window after 3..1000 and scrolled to the
// end of 3..2147483647. Usage: vodazi_pictures OUTPUT_FOLDER [SUFFIX]

#include <QApplication>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>
#include <string>

#include "calc/CalculationRun.h"
#include "platform/QtBusyPointer.h"
#include "platform/QtMessageBox.h"
#include "report/ReportFile.h"
#include "windows/FPrimeList.h"
#include "windows/ListWindowOutput.h"
#include "windows/PrimeListView.h"
#include "windows/RIdizev.h"

namespace {

using namespace vodazi;

QString folder;

void Save(QWidget& widget, const QString& name) {
    const QString path = folder + "/" + name + ".png";
    if (!widget.grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::printf("%s\n", qPrintable(path));
}

// The real list window; it is pictured instead of being shown, and can picture the main
// window halfway through the scan.
class PicturedList : public ListOutput {
public:
    PicturedList(RIdizev& window, QString name, bool scrollToEnd)
        : window_(window), name_(std::move(name)), scrollToEnd_(scrollToEnd) {}
    QString busyPicture;

    void Prepare() override { real_.Prepare(); }
    void Prime(std::uint32_t n) override { Primes({&n, 1}); }
    void Primes(std::span<const std::uint32_t> primes) override {
        real_.Primes(primes);
        if (!busyPicture.isEmpty() && real_.Window()->Items().Size() > 50'000'000) {
            Save(window_, busyPicture);
            busyPicture.clear();
        }
    }
    void ShowModal() override {
        FPrimeList& list = *real_.Window();
        list.List()->ItemsChanged();
        list.show();
        if (scrollToEnd_) list.List()->SetCurrentRow(static_cast<qint64>(list.Items().Size()) - 1);
        QApplication::processEvents();
        Save(list, name_);
        real_.Discard();
    }
    void Discard() override { real_.Discard(); }

private:
    RIdizev& window_;
    ListWindowOutput real_;
    QString name_;
    bool scrollToEnd_;
};

void RunInto(RIdizev& window, ReportFile& report, QtMessageBox& messages, PicturedList& list,
             const char* end) {
    QtBusyPointer pointer;
    window.SetStartText("3");
    window.SetEndText(end);
    CalculationRun run(RunServices{window, list, report, messages, pointer});
    run.Run();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: vodazi_pictures OUTPUT_FOLDER [SUFFIX]\n");
        return 2;
    }
    folder = QString::fromLocal8Bit(argv[1]);
    const QString suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();

    QtMessageBox messages;
    ReportFile report(messages);
    RIdizev window(report);
    window.show();
    QApplication::processEvents();
    Save(window, "main-window" + suffix);
    if (!suffix.isEmpty()) return 0;  // scaled pictures: the main window only

    PicturedList small(window, "list-window", false);
    RunInto(window, report, messages, small, "1000");

    PicturedList whole(window, "list-window-end", true);
    whole.busyPicture = "main-window-busy";
    RunInto(window, report, messages, whole, "2147483647");
    return 0;
}
