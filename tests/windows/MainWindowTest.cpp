#include "windows/RIdizev.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <fstream>
#include <optional>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ModalScript.h"
#include "platform/SolidRectangle.h"
#include "platform/Twips.h"
#include "windows/FPrimeList.h"
#include "windows/PrimeListView.h"
#include "windows/Program.h"

namespace vodazi {
namespace {

using testing::ModalScript;
using testing::SeenMessage;

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

    // Adds an answer to the list window that records its items and then closes it with
    // `close` (clicking Exit by default).
    void ExpectList(ModalScript& script, std::vector<std::uint32_t>* items,
                    std::function<void(FPrimeList&)> close = {}) {
        script.Then([items, close](QWidget* modal) {
            auto* list = dynamic_cast<FPrimeList*>(modal);
            if (list == nullptr) {
                modal->close();
                return;
            }
            for (std::size_t i = 0; i < list->Items().Size(); ++i) items->push_back(list->Items().At(i));
            if (close) {
                close(*list);
            } else {
                QTest::mouseClick(list->ExitButton(), Qt::LeftButton);
            }
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
            QTest::mouseClick(list.ExitButton(), Qt::LeftButton);
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
        EXPECT_FALSE(window.RunInProgress());
        EXPECT_EQ(program.ListWindow().Window(), nullptr);
    }
};

TEST_F(MainWindowTest, StartsInItsDesignState) {
    EXPECT_EQ(window.windowTitle(), "Calculate Vodazi");
    EXPECT_EQ(window.size(), QSize(326, 253));
    EXPECT_EQ(Control<QLabel>("LPmax")->text(), "max. 2147483647");
    EXPECT_EQ(Control<QLineEdit>("Start")->text(), "3");
    EXPECT_EQ(Control<QLineEdit>("Ende")->text(), "1000");
    EXPECT_FALSE(Control<QLineEdit>("FName")->isVisible());
    EXPECT_FALSE(Control<QLineEdit>("FName")->isEnabled());
    EXPECT_FALSE(Control<SolidRectangle>("AktStatus")->isVisible());
    EXPECT_FALSE(Control<SolidRectangle>("AktFill")->isVisible());
    EXPECT_FALSE(Control<QCheckBox>("Datei")->isChecked());
    EXPECT_EQ(Control<QCheckBox>("Datei")->toolTip(), "Gibt die Berechnung in die angegebene Datei aus");
    auto* button = Control<QPushButton>("Primzahlen");
    EXPECT_EQ(button->text(), "begin of calculate");
    EXPECT_TRUE(button->font().bold());
    EXPECT_EQ(button->geometry(), QRect(32, 152, 265, 41));
    EXPECT_EQ(QApplication::focusWidget(), button);
}

// Run again with QT_SCALE_FACTOR set (see tests/CMakeLists.txt): the layout is in
// device-independent pixels, so only the device pixels grow.
TEST_F(MainWindowTest, KeepsItsProportionsWhenScaled) {
    const double scale = qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")
                             ? 1.0
                             : qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    EXPECT_DOUBLE_EQ(window.devicePixelRatioF(), scale);
    EXPECT_EQ(window.grab().toImage().size(), QSize(qRound(326 * scale), qRound(253 * scale)));
    const std::pair<const char*, QRect> design[] = {
        {"Datei", TwipsRect(480, 1440, 1815, 255)}, {"FName", TwipsRect(480, 1800, 3975, 285)},
        {"Ende", TwipsRect(1680, 840, 1215, 285)},   {"Start", TwipsRect(1680, 360, 1215, 285)},
        {"Primzahlen", TwipsRect(480, 2280, 3975, 615)}, {"LPmax", TwipsRect(3000, 840, 1815, 255)},
        {"AktStatus", TwipsRect(480, 3120, 3975, 255)}, {"LEnde", TwipsRect(480, 840, 975, 255)},
        {"LStart", TwipsRect(480, 360, 975, 255)}};
    for (const auto& [name, geometry] : design) {
        const auto* control = window.findChild<QWidget*>(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->geometry(), geometry) << name;
    }
}

TEST_F(MainWindowTest, TabRunsFromTheButtonThroughTheBoxesToTheCheckBox) {
    Control<QCheckBox>("Datei")->setChecked(true);  // the file name box only takes focus when shown
    Control<QPushButton>("Primzahlen")->setFocus();
    std::vector<QString> order;
    for (int i = 0; i < 5; ++i) {
        order.push_back(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (std::vector<QString>{"Primzahlen", "Start", "Ende", "FName", "Datei"}));
}

TEST_F(MainWindowTest, EnterInABoundBoxStartsNoRun) {
    ModalScript script;
    QTest::keyClick(Control<QLineEdit>("Ende"), Qt::Key_Return);
    QTest::qWait(20);
    EXPECT_EQ(script.Unexpected(), 0);
    EXPECT_EQ(program.ListWindow().Window(), nullptr);
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

TEST_F(MainWindowTest, ListsThePrimesOfTheRangeInOrder) {
    EXPECT_EQ(ListRun("3", "20"), (Items{3, 5, 7, 11, 13, 17, 19}));
    ExpectRestored();
}

TEST_F(MainWindowTest, DefaultsGiveTheHundredSixtySevenPrimesUpToAThousand) {
    const auto items = ListRun("3", "1000");
    ASSERT_TRUE(items.has_value());
    ASSERT_EQ(items->size(), 167u);
    EXPECT_EQ(items->front(), 3u);
    EXPECT_EQ(items->back(), 997u);
}

TEST_F(MainWindowTest, EmptyRangeStillOpensTheListWindow) {
    EXPECT_EQ(ListRun("8", "8"), Items{});
}

TEST_F(MainWindowTest, ExchangedBoundsAreWrittenBack) {
    EXPECT_EQ(ListRun("10", "1"), (Items{3, 5, 7}));
    EXPECT_EQ(Control<QLineEdit>("Start")->text(), "1");
    EXPECT_EQ(Control<QLineEdit>("Ende")->text(), "10");
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

TEST_F(MainWindowTest, ASecondRunShowsOnlyItsOwnItems) {
    EXPECT_EQ(ListRun("3", "1000").value_or(Items{}).size(), 167u);
    EXPECT_EQ(ListRun("3", "20"), (Items{3, 5, 7, 11, 13, 17, 19}));
}

TEST_F(MainWindowTest, EscapeLeavesTheListOpenAndTheTitleBarCloseEndsIt) {
    Type("Ende", "20");
    ModalScript script;
    std::vector<std::uint32_t> items;
    bool openAfterEscape = false;
    ExpectList(script, &items, [&](FPrimeList& list) {
        QTest::keyClick(list.List(), Qt::Key_Escape);
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
        sawBusy = window.RunInProgress() && QApplication::overrideCursor() != nullptr &&
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
    const std::string path = (QDir::tempPath() + "/vodazi-window-" + QString::number(QCoreApplication::applicationPid()) + ".txt").toStdString();
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
    EXPECT_EQ(first, "Beginn: 3\r\nEnde  : 20\r\n\r\n3\r\n5\r\n7\r\n11\r\n13\r\n17\r\n19\r\n--- ENDE ---\r\n");

    std::vector<SeenMessage> seen;
    script.Then([&seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        seen.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->standardButtons(),
                        box->standardButton(box->defaultButton()), box->icon() != QMessageBox::NoIcon});
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
