// Renders the windows to PNG files for the README: the main window at start-up, during a
// whole-range run and at 200 % scale, and the list window after 3..1000 and scrolled to the
// end of 3..2147483647. Usage: vodazi_pictures OUTPUT_FOLDER [SUFFIX]

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>
#include <string>

#include "windows/FPrimeList.h"
#include "windows/PrimeListView.h"
#include "windows/Program.h"

namespace {

using namespace vodazi;

QString folder;

void Save(QWidget& widget, const QString& name) {
    const QString path = folder + "/" + name + ".png";
    if (!widget.grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::printf("%s\n", qPrintable(path));
}

// Pictures the list window when the run shows it, then closes it; during a run it can
// picture the main window once the list holds half the primes of the whole range.
class Photographer : public QObject {
  public:
    explicit Photographer(Program& program) : program_(program) {
        qApp->installEventFilter(this);
        // Timers fire while the run lets the window repaint.
        connect(&during_, &QTimer::timeout, this, [this] { MaybePictureBusyWindow(); });
        during_.start(5);
    }

    QString listPicture;
    bool scrollToEnd = false;
    QString busyPicture;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* list = dynamic_cast<FPrimeList*>(watched);
        if (list == nullptr || event->type() != QEvent::Show) return false;
        QTimer::singleShot(0, list, [this, list] {
            if (scrollToEnd)
                list->findChild<PrimeListView*>("PrimeList")
                    ->SetCurrentRow(static_cast<qint64>(list->Items().Size()) - 1);
            QApplication::processEvents();
            Save(*list, listPicture);
            list->close();
        });
        return false;
    }

  private:
    void MaybePictureBusyWindow() {
        if (busyPicture.isEmpty()) return;
        FPrimeList* list = nullptr;  // loaded hidden while the run fills it
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* found = dynamic_cast<FPrimeList*>(top)) list = found;
        }
        if (list == nullptr || list->isVisible() || list->Items().Size() < 50'000'000) return;
        Save(program_.MainWindow(), busyPicture);
        busyPicture.clear();
    }

    Program& program_;
    QTimer during_;
};

void RunTo(Program& program, const char* end) {
    program.MainWindow().findChild<QLineEdit*>("Start")->setText("3");
    program.MainWindow().findChild<QLineEdit*>("Ende")->setText(end);
    program.MainWindow().findChild<QPushButton*>("Primzahlen")->click();
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

    Program program;
    RIdizev& window = program.MainWindow();
    window.show();
    QApplication::processEvents();
    Save(window, "main-window" + suffix);
    if (!suffix.isEmpty()) return 0;  // scaled pictures: the main window only

    Photographer photographer(program);
    photographer.listPicture = "list-window";
    RunTo(program, "1000");

    photographer.listPicture = "list-window-end";
    photographer.scrollToEnd = true;
    photographer.busyPicture = "main-window-busy";
    RunTo(program, "2147483647");
    return 0;
}
