#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>

#include "DesignTable.h"
#include "platform/SolidRectangle.h"
#include "platform/Twips.h"
#include "tests/support/ModalScript.h"
#include "windows/FPrimeList.h"
#include "windows/PrimeListView.h"
#include "windows/Program.h"

namespace vodazi {
namespace {

using support::DesignedControl;
using support::DesignedTabOrder;
using support::ExpectDesign;
using support::Kind;
using support::ModalScript;
using support::SeenMessage;
using support::TabWalk;

// Calls `action` from the event loop once after `widget` has been shown.
class OnShow : public QObject {
  public:
    OnShow(QWidget* widget, std::function<void()> action) : action_(std::move(action)) {
        widget->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && action_) {
            QTimer::singleShot(0, this, std::exchange(action_, {}));
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> action_;
};

// How much darker the caption makes `button`: the darkness of its pixels, less that of the
// same button without a caption.
double CaptionInk(QPushButton& button) {
    const auto darkness = [&button] {
        const QImage image = button.grab().toImage().convertToFormat(QImage::Format_Grayscale8);
        double sum = 0;
        for (int y = 0; y < image.height(); ++y) {
            const uchar* line = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x) sum += 255 - line[x];
        }
        return sum;
    };
    const double withCaption = darkness();
    const QString caption = button.text();
    button.setText(QString());
    const double without = darkness();
    button.setText(caption);
    return withCaption - without;
}

class MainWindowTest : public ::testing::Test {
  protected:
    Program program;
    RIdizev& window = program.MainWindow();

    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    template <typename T>
    T* Control(const char* name) {
        T* control = window.findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    void Type(const char* box, const QString& text) {
        auto* edit = Control<QLineEdit>(box);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    void Click() { QTest::mouseClick(Control<QPushButton>("Primzahlen"), Qt::LeftButton); }

    static void ClickExit(FPrimeList& list) {
        QTest::mouseClick(list.findChild<QPushButton*>("Exit"), Qt::LeftButton);
    }

    // Adds an answer to the list window that checks it is owned by the main window, records
    // its items and then closes it with `close` (clicking Exit by default).
    void ExpectList(ModalScript& script, std::vector<std::uint32_t>* items,
                    const std::function<void(FPrimeList&)>& close = ClickExit) {
        script.Then([this, items, close](QWidget* modal) {
            auto* list = dynamic_cast<FPrimeList*>(modal);
            if (list == nullptr) {
                modal->close();
                return;
            }
            // Owned by the main window, so that a window system keeps it above its owner.
            EXPECT_EQ(list->parentWidget(), &window);
            EXPECT_EQ(list->windowHandle()->transientParent(), window.windowHandle());
            for (std::size_t i = 0; i < list->Items().Size(); ++i)
                items->push_back(list->Items().At(i));
            close(*list);
        });
    }

    using Items = std::vector<std::uint32_t>;

    // Types the bounds, clicks, and returns the items of the list window, or nothing when
    // no list window opened.
    std::optional<Items> ListRun(const QString& start, const QString& end) {
        Type("Start", start);
        Type("Ende", end);
        ModalScript script;
        Items items;
        bool opened = false;
        ExpectList(script, &items, [&opened](FPrimeList& list) {
            opened = true;
            ClickExit(list);
        });
        Click();
        EXPECT_EQ(script.Unexpected(), 0);
        if (!opened) return std::nullopt;
        return items;
    }

    void ExpectRestored() {
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_FALSE(Control<SolidRectangle>("AktStatus")->isVisible());
        EXPECT_FALSE(Control<SolidRectangle>("AktFill")->isVisible());
        // Closing the list window destroys it with its items.
        for (QWidget* widget : QApplication::allWidgets())
            EXPECT_EQ(dynamic_cast<FPrimeList*>(widget), nullptr);
    }
};

// The main window as designed; LPmax shows the limit hint that Form_Load writes over its "?".
const DesignedControl MainWindowDesign[] = {
    {"Datei", Kind::CheckBox, 480, 1440, 1815, 255, 6, "Copy to file",
     "Gibt die Berechnung in die angegebene Datei aus"},
    {"FName", Kind::TextBox, 480, 1800, 3975, 285, 5, "c:\\temp\\vodazi.txt"},
    {"Ende", Kind::TextBox, 1680, 840, 1215, 285, 2, "1000"},
    {"Start", Kind::TextBox, 1680, 360, 1215, 285, 1, "3"},
    {"Primzahlen", Kind::Button, 480, 2280, 3975, 615, 0, "begin of calculate"},
    {"LPmax", Kind::Label, 3000, 840, 1815, 255, 7, "max. 2147483647"},
    {"AktFill", Kind::Rectangle, 480, 3120, 15, 255, -1, nullptr, "", QColor(192, 0, 0)},
    {"AktStatus", Kind::Rectangle, 480, 3120, 3975, 255, -1, nullptr, "", QColor(Qt::white)},
    {"LEnde", Kind::Label, 480, 840, 975, 255, 4, "Stop with:"},
    {"LStart", Kind::Label, 480, 360, 975, 255, 3, "Start with:"},
};
const DesignedControl& Designed(const char* name) {
    return *std::find_if(
        std::begin(MainWindowDesign), std::end(MainWindowDesign),
        [name](const DesignedControl& row) { return std::strcmp(row.name, name) == 0; });
}

TEST_F(MainWindowTest, StartsInItsDesignState) {
    ExpectDesign(window, "Calculate Vodazi", 4890, 3795, MainWindowDesign);
    EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(),
              DesignedTabOrder(MainWindowDesign).front());
    // The caption is painted in the design's font, in its family where the system has it, bold:
    // clearly darker than the same font without the bold; it fits on the button, and every
    // other control keeps the dialog font.
    auto* button = Control<QPushButton>("Primzahlen");
    const double designInk = CaptionInk(*button);
    const QFont designFont = button->font();
    QFont regularFont = designFont;
    regularFont.setBold(false);
    button->setFont(regularFont);
    const double regularInk = CaptionInk(*button);
    button->setFont(designFont);
    EXPECT_NE(designFont, QApplication::font(button));
    // A bitmap face, as Windows' own "MS Sans Serif" under wine, has no bold of its own at
    // every size, so only an outline face can show the bold by its ink.
    if (QFontDatabase::isSmoothlyScalable(QFontInfo(designFont).family())) {
        EXPECT_GT(designInk, 1.3 * regularInk);
    }
    if (QFontDatabase::hasFamily("MS Sans Serif")) {
        EXPECT_EQ(QFontInfo(designFont).family(), "MS Sans Serif");
    }
    EXPECT_LE(QFontMetrics(designFont).horizontalAdvance(button->text()),
              button->contentsRect().width());
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (control == button) continue;
        EXPECT_EQ(control->font(), QApplication::font(control))
            << control->objectName().toStdString();
    }
    EXPECT_FALSE(Control<QLineEdit>("FName")->isVisible());
    EXPECT_FALSE(Control<QLineEdit>("FName")->isEnabled());
    EXPECT_FALSE(Control<SolidRectangle>("AktStatus")->isVisible());
    EXPECT_FALSE(Control<SolidRectangle>("AktFill")->isVisible());
    EXPECT_EQ(Control<QCheckBox>("Datei")->checkState(), Qt::Unchecked);

    Control<QCheckBox>("Datei")->setChecked(true);  // the file name box only takes focus when shown
    EXPECT_EQ(TabWalk(), DesignedTabOrder(MainWindowDesign));
}

// The fill lies in front of the track from the same left edge, and its width follows the run's
// width even past the end of the track.
TEST_F(MainWindowTest, ProgressBarIsARedFillInFrontOfTheWhiteTrack) {
    const DesignedControl& fillDesign = Designed("AktFill");
    const DesignedControl& trackDesign = Designed("AktStatus");
    auto* fill = Control<SolidRectangle>("AktFill");
    window.ShowProgressTrack();
    window.ShowProgressFill();
    for (const float twips : {0.0f, 15.0f, 1200.0f, 3975.0f, 6000.0f}) {
        window.SetProgressFillWidth(twips);
        EXPECT_EQ(fill->geometry(), TwipsRect(fillDesign.left, fillDesign.top,
                                              static_cast<int>(twips), fillDesign.height))
            << twips;
    }
    window.SetProgressFillWidth(1200.0f);
    const QImage image = window.grab().toImage();
    const auto colourAt = [&image](QPoint point) {
        return image.pixelColor((QPointF(point) * image.devicePixelRatio()).toPoint());
    };
    const QRect track =
        TwipsRect(trackDesign.left, trackDesign.top, trackDesign.width, trackDesign.height);
    EXPECT_EQ(colourAt(fill->geometry().center()), *fillDesign.fill);
    EXPECT_EQ(colourAt({(fill->geometry().right() + track.right()) / 2, track.center().y()}),
              *trackDesign.fill);
}

// Run again with QT_SCALE_FACTOR set (see tests/CMakeLists.txt): the layout is in
// device-independent pixels, so only the device pixels grow. A factor the program cannot use
// is dropped before the application starts, and the window comes at the normal scale.
// What a screen reader hears: a frame with its caption, each control by the text beside or on
// it, and the two rectangles as one progress bar that counts in percent of the track the fill
// covers, as the toolkit's own bar does, up to the track's end.
TEST_F(MainWindowTest, ScreenReadersHearEveryControlByNameAndOneProgressBar) {
    Control<QCheckBox>("Datei")->setChecked(true);
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&window);
    EXPECT_EQ(frame->role(), QAccessible::Window);
    EXPECT_EQ(frame->text(QAccessible::Name), "Calculate Vodazi");
    const struct {
        const char* control;
        QAccessible::Role role;
        QString name;
    } heard[] = {
        {"Start", QAccessible::EditableText, "Start with:"},
        {"Ende", QAccessible::EditableText, "Stop with:"},
        {"FName", QAccessible::EditableText, "Report file"},
        {"Datei", QAccessible::CheckBox, "Copy to file"},
        {"Primzahlen", QAccessible::Button, "begin of calculate"},
        {"AktStatus", QAccessible::ProgressBar, "Progress"},
    };
    for (const auto& [control, role, name] : heard) {
        QAccessibleInterface* item = frame->child(
            frame->indexOfChild(QAccessible::queryAccessibleInterface(Control<QWidget>(control))));
        ASSERT_NE(item, nullptr) << control;
        EXPECT_EQ(item->role(), role) << control;
        EXPECT_EQ(item->text(QAccessible::Name), name) << control;
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(Control<QWidget>("Ende"))
                  ->text(QAccessible::Description),
              "max. 2147483647");
    int bars = 0;
    for (int i = 0; i < frame->childCount(); ++i) {
        EXPECT_NE(frame->child(i)->object(), Control<QWidget>("AktFill"));
        bars += frame->child(i)->role() == QAccessible::ProgressBar ? 1 : 0;
    }
    EXPECT_EQ(bars, 1);

    QAccessibleInterface* bar =
        QAccessible::queryAccessibleInterface(Control<QWidget>("AktStatus"));
    EXPECT_TRUE(bar->state().invisible);
    window.ShowProgressTrack();
    window.ShowProgressFill();
    EXPECT_FALSE(bar->state().invisible);
    QAccessibleValueInterface* value = bar->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 100);
    EXPECT_DOUBLE_EQ(value->minimumStepSize().toDouble(), 1.0);
    for (const auto& [twips, counted] : {std::pair(0.0f, 0), std::pair(1200.0f, 30),
                                         std::pair(3960.0f, 99), std::pair(6000.0f, 100)}) {
        window.SetProgressFillWidth(twips);
        EXPECT_EQ(value->currentValue().toInt(), counted) << twips;
    }
}

// The toolkit asks for a widget's description by the name of each of its classes in turn, its
// own first. Ours answer only for our own: a widget of another class, one of those ours derive
// from included, or a rectangle that is not the main window's bar, keeps the toolkit's own.
TEST_F(MainWindowTest, WidgetsOfOtherClassesKeepTheToolkitsDescription) {
    QWidget plainWindow;
    QAbstractScrollArea plainScrollArea;
    SolidRectangle looseRectangle(Qt::white, nullptr);
    auto* rectangleInTheWindow = new SolidRectangle(Qt::white, &window);
    QWidget* const others[] = {&plainWindow, &plainScrollArea, &looseRectangle,
                               rectangleInTheWindow};
    for (QWidget* widget : others) {
        const char* const name = widget->metaObject()->className();
        QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(heard, nullptr) << name;
        EXPECT_EQ(heard->role(), QAccessible::Client) << name;
        EXPECT_EQ(heard->valueInterface(), nullptr) << name;
        EXPECT_EQ(heard->tableInterface(), nullptr) << name;
    }
}

// A run is heard as the bar appearing, its value growing now and then up to the end, and the
// bar going, and nothing else of the bar: its red fill is no object of its own; a message box
// as an alert with its title, text and button.
TEST_F(MainWindowTest, ScreenReadersHearTheRunMoveAndTheMessageBoxes) {
    if (!qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON") ||
        !QTest::qWaitFor([] { return QAccessible::isActive(); }, 5000)) {
        GTEST_SKIP() << "no accessibility bus here; the run under weston hears the events";
    }
    struct Heard {
        QAccessible::Event type;
        QObject* object;
        int value;
        bool valid;  // only a valid interface reaches a screen reader
    };
    static std::vector<Heard> events;
    events.clear();
    const auto previous = QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
        const bool valueChange = event->type() == QAccessible::ValueChanged;
        events.push_back(
            {event->type(), event->object(),
             valueChange ? static_cast<QAccessibleValueChangeEvent*>(event)->value().toInt() : -1,
             event->accessibleInterface() != nullptr && event->accessibleInterface()->isValid()});
    });
    QElapsedTimer running;
    running.start();
    ListRun("3", "10000000");
    const qint64 elapsed = running.elapsed();
    QWidget* track = Control<QWidget>("AktStatus");
    std::vector<QAccessible::Event> shown;
    std::vector<int> values;
    for (const Heard& heard : events) {
        EXPECT_FALSE(heard.object == Control<QWidget>("AktFill") && heard.valid);
        if (heard.object != track) continue;
        if (heard.type == QAccessible::ValueChanged) values.push_back(heard.value);
        if (heard.type == QAccessible::ObjectShow || heard.type == QAccessible::ObjectHide)
            shown.push_back(heard.type);
    }
    EXPECT_EQ(shown, (std::vector{QAccessible::ObjectShow, QAccessible::ObjectHide}));
    ASSERT_FALSE(values.empty());
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(values.back(), 100);
    EXPECT_LE(values.size(), static_cast<std::size_t>(elapsed / 100 + 2));

    events.clear();
    Type("Ende", "2147483648");
    ModalScript script;
    QAccessibleInterface* alert = nullptr;
    QString button;
    script.Then([&](QWidget* modal) {
        alert = QAccessible::queryAccessibleInterface(modal);
        EXPECT_EQ(alert->role(), QAccessible::AlertMessage);
        EXPECT_EQ(alert->text(QAccessible::Name), "Vodazi");
        EXPECT_EQ(alert->text(QAccessible::Value),
                  "A value is out of range. Min. is 3 and max. is 2147483647");
        auto* ok = qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok);
        button = QAccessible::queryAccessibleInterface(ok)->text(QAccessible::Name);
        ok->click();
        EXPECT_TRUE(std::any_of(events.begin(), events.end(), [modal](const Heard& heard) {
            return heard.type == QAccessible::Alert && heard.object == modal;
        }));
    });
    Click();
    QAccessible::installUpdateHandler(previous);
    EXPECT_NE(alert, nullptr);
    EXPECT_EQ(button, "OK");
}

TEST_F(MainWindowTest, KeepsItsProportionsWhenScaled) {
    const double scale = qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")
                             ? 1.0
                             : qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    EXPECT_DOUBLE_EQ(window.devicePixelRatioF(), scale);
    EXPECT_EQ(window.grab().toImage().size(), QSize(qRound(326 * scale), qRound(253 * scale)));
}

TEST_F(MainWindowTest, EnterStartsARunOnlyOnTheFocusedButton) {
    Type("Ende", "20");
    {
        ModalScript script;
        QTest::keyClick(Control<QLineEdit>("Ende"), Qt::Key_Return);
        QTest::qWait(20);
        EXPECT_EQ(script.Unexpected(), 0);  // no list window opened
    }
    for (const auto& [key, modifier] : {std::pair(Qt::Key_Return, Qt::NoModifier),
                                        std::pair(Qt::Key_Enter, Qt::KeypadModifier)}) {
        ModalScript script;
        Items items;
        ExpectList(script, &items);
        Control<QPushButton>("Primzahlen")->setFocus();
        QTest::keyClick(Control<QPushButton>("Primzahlen"), key, modifier);
        EXPECT_EQ(items, (Items{3, 5, 7, 11, 13, 17, 19})) << key;
        EXPECT_TRUE(script.Done());
    }
}

TEST_F(MainWindowTest, GreyedCheckBoxHidesTheFileNameAndTheRunGoesToTheList) {
    auto* datei = Control<QCheckBox>("Datei");
    auto* name = Control<QLineEdit>("FName");
    datei->setCheckState(Qt::Checked);
    ASSERT_TRUE(name->isVisible());
    datei->setCheckState(Qt::PartiallyChecked);
    EXPECT_EQ(window.OutputCheckValue(), CheckBoxValue::Greyed);
    EXPECT_FALSE(name->isVisible());
    EXPECT_FALSE(name->isEnabled());
    EXPECT_EQ(ListRun("3", "20"), (Items{3, 5, 7, 11, 13, 17, 19}));
}

TEST_F(MainWindowTest, MissingFolderIsToldWhileTheHourglassAndTheEmptyBarShow) {
    Control<QCheckBox>("Datei")->setChecked(true);
    Type("FName", QDir::tempPath() + "/vodazi-no-such-folder-" +
                      QString::number(QCoreApplication::applicationPid()) + "/primes.txt");
    ModalScript script;
    QString told;
    bool busy = false;
    script.Then([&](QWidget* modal) {
        const auto* fill = Control<SolidRectangle>("AktFill");
        busy = QApplication::overrideCursor() != nullptr &&
               QApplication::overrideCursor()->shape() == Qt::WaitCursor &&
               Control<SolidRectangle>("AktStatus")->isVisible() && fill->isVisible() &&
               fill->width() == 0;
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        told = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    Click();
    EXPECT_EQ(told, "Folder dosnt exist");
    EXPECT_TRUE(busy);
    EXPECT_EQ(script.Unexpected(), 0);
    ExpectRestored();
}

TEST_F(MainWindowTest, CheckBoxShowsTheFileNameAndKeepsAnEditedOne) {
    auto* datei = Control<QCheckBox>("Datei");
    auto* name = Control<QLineEdit>("FName");
    QTest::mouseClick(datei, Qt::LeftButton, {}, QPoint(5, datei->height() / 2));
    EXPECT_TRUE(name->isVisible());
    EXPECT_TRUE(name->isEnabled());
    EXPECT_EQ(name->text(), "c:\\temp\\vodazi.txt");
    Type("FName", "/tmp/mine.txt");
    QTest::mouseClick(datei, Qt::LeftButton, {}, QPoint(5, datei->height() / 2));
    EXPECT_FALSE(name->isVisible());
    EXPECT_FALSE(name->isEnabled());
    QTest::mouseClick(datei, Qt::LeftButton, {}, QPoint(5, datei->height() / 2));
    EXPECT_EQ(name->text(), "/tmp/mine.txt");
}

// Each run opens a fresh list window with its own primes only, an empty one too.
TEST_F(MainWindowTest, ListRunsShowTheirOwnPrimesAndWriteExchangedBoundsBack) {
    const auto defaults = ListRun("3", "1000");
    ASSERT_TRUE(defaults.has_value());
    ASSERT_EQ(defaults->size(), 167u);
    EXPECT_EQ(defaults->front(), 3u);
    EXPECT_EQ(defaults->back(), 997u);
    EXPECT_EQ(ListRun("10", "1"), (Items{3, 5, 7}));
    EXPECT_EQ(Control<QLineEdit>("Start")->text(), "1");
    EXPECT_EQ(Control<QLineEdit>("Ende")->text(), "10");
    EXPECT_EQ(ListRun("8", "8"), Items{});
    EXPECT_EQ(ListRun("3", "20"), (Items{3, 5, 7, 11, 13, 17, 19}));
    ExpectRestored();
}

TEST_F(MainWindowTest, OutOfRangeIsToldAndChangesNothing) {
    Type("Start", "2147483648");
    ModalScript script;
    std::vector<SeenMessage> seen;
    script.ThenMessage(QMessageBox::Ok, &seen);
    Click();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, "Vodazi");
    EXPECT_EQ(seen[0].text, "A value is out of range. Min. is 3 and max. is 2147483647");
    EXPECT_EQ(seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_FALSE(seen[0].hasIcon);
    EXPECT_EQ(Control<QLineEdit>("Start")->text(), "2147483648");
    EXPECT_EQ(Control<QLineEdit>("Ende")->text(), "1000");
    EXPECT_EQ(script.Unexpected(), 0);
    ExpectRestored();
}

TEST_F(MainWindowTest, EscapeLeavesTheListOpenAndTheTitleBarCloseEndsIt) {
    Type("Ende", "20");
    ModalScript script;
    std::vector<std::uint32_t> items;
    bool openAfterEscape = false;
    ExpectList(script, &items, [&](FPrimeList& list) {
        QTest::keyClick(list.findChild<PrimeListView*>("PrimeList"), Qt::Key_Escape);
        openAfterEscape = list.isVisible();
        list.close();  // what the title bar's close box does
    });
    Click();
    EXPECT_TRUE(openAfterEscape);
    EXPECT_EQ(items.size(), 7u);
    ExpectRestored();
}

TEST_F(MainWindowTest, DuringARunInputIsIgnoredAndTheWindowStays) {
    Type("Start", "3");
    Type("Ende", "300000000");
    ModalScript script;
    std::vector<std::uint32_t> items;
    ExpectList(script, &items);
    std::vector<std::uint32_t> unexpectedRun;
    ExpectList(script, &unexpectedRun);

    bool closeRefused = false;
    bool sawBusy = false;
    // Acts once the run has shown its progress bar, from within the run's own repaints.
    OnShow busy(Control<SolidRectangle>("AktFill"), [&] {
        sawBusy = QApplication::overrideCursor() != nullptr &&
                  Control<SolidRectangle>("AktFill")->isVisible();
        closeRefused = !window.close();
        auto* button = Control<QPushButton>("Primzahlen");
        QTest::mouseClick(button, Qt::LeftButton);  // a second click while the first runs
        QTest::keyClicks(Control<QLineEdit>("Start"), "99");
    });
    Click();
    EXPECT_TRUE(sawBusy);
    EXPECT_TRUE(closeRefused);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(items.size(), 16252324u);  // pi(3e8) less the prime 2
    EXPECT_TRUE(unexpectedRun.empty());
    EXPECT_EQ(Control<QLineEdit>("Start")->text(), "3");
    ExpectRestored();
}

TEST_F(MainWindowTest, ReportRunAsksBeforeOverwritingWithNoAsTheDefault) {
    const std::string path = (QDir::tempPath() + "/vodazi-window-" +
                              QString::number(QCoreApplication::applicationPid()) + ".txt")
                                 .toStdString();
    std::remove(path.c_str());
    auto* datei = Control<QCheckBox>("Datei");
    QTest::mouseClick(datei, Qt::LeftButton, {}, QPoint(5, datei->height() / 2));
    Type("FName", QString::fromStdString(path));
    Type("Ende", "20");
    ModalScript script;
    Click();  // writes silently
    EXPECT_EQ(script.Unexpected(), 0);
    const auto read = [&path] {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string first = read();
    EXPECT_EQ(
        first,
        "Beginn: 3\r\nEnde  : 20\r\n\r\n3\r\n5\r\n7\r\n11\r\n13\r\n17\r\n19\r\n--- ENDE ---\r\n");

    std::vector<SeenMessage> seen;
    script.Then([&seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        seen.push_back({box->windowTitle().toStdString(), box->text().toStdString(),
                        box->standardButtons(), box->standardButton(box->defaultButton()),
                        box->icon() != QMessageBox::NoIcon});
        QTest::keyClick(box, Qt::Key_Escape);  // Escape answers No
    });
    Type("Ende", "1000");
    Click();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, "File exist");
    EXPECT_EQ(seen[0].text, "File exist. Do you want to overwrite?");
    EXPECT_EQ(seen[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen[0].defaultButton, QMessageBox::No);
    EXPECT_FALSE(seen[0].hasIcon);
    EXPECT_EQ(read(), first);
    ExpectRestored();
    std::remove(path.c_str());
}

}  // namespace
}  // namespace vodazi
