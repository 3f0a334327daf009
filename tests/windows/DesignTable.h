#pragma once

// Compares a real window with its design: one row per control, in twips, as the windows are
// designed. The program maps twips to pixels with platform/Twips.h, and so does this check.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/SolidRectangle.h"
#include "platform/Twips.h"
#include "windows/PrimeListView.h"

namespace vodazi::support {

enum class Kind { CheckBox, TextBox, Button, Label, Rectangle, ListBox };

struct DesignedControl {
    const char* name;
    Kind kind;
    int left, top, width, height;
    int tabIndex;         // -1 where the design gives none
    const char* caption;  // the text shown after loading; nullptr for controls without one
    const char* toolTip = "";
    std::optional<QColor> fill = std::nullopt;
};

inline bool TakesFocus(Kind kind) {
    return kind != Kind::Label && kind != Kind::Rectangle;
}

// The control's text read the way its kind shows it; nullopt when it is not of that kind.
inline std::optional<std::string> ShownText(const QWidget& control, Kind kind) {
    switch (kind) {
        case Kind::CheckBox:
            if (auto* box = qobject_cast<const QCheckBox*>(&control))
                return box->text().toStdString();
            break;
        case Kind::TextBox:
            if (auto* box = qobject_cast<const QLineEdit*>(&control))
                return box->text().toStdString();
            break;
        case Kind::Button:
            if (auto* button = qobject_cast<const QPushButton*>(&control))
                return button->text().toStdString();
            break;
        case Kind::Label:
            if (auto* label = qobject_cast<const QLabel*>(&control))
                return label->text().toStdString();
            break;
        case Kind::Rectangle:
            if (dynamic_cast<const SolidRectangle*>(&control) != nullptr) return std::string();
            break;
        case Kind::ListBox:
            if (dynamic_cast<const PrimeListView*>(&control) != nullptr) return std::string();
            break;
    }
    return std::nullopt;
}

inline void ExpectDesign(const QWidget& window, const char* caption, int clientWidth,
                         int clientHeight, std::span<const DesignedControl> design) {
    EXPECT_EQ(window.windowTitle(), caption);
    EXPECT_EQ(window.size(), QSize(TwipsToPixels(clientWidth), TwipsToPixels(clientHeight)));
    for (const DesignedControl& row : design) {
        const auto* control = window.findChild<QWidget*>(row.name);
        ASSERT_NE(control, nullptr) << row.name;
        EXPECT_EQ(control->geometry(), TwipsRect(row.left, row.top, row.width, row.height))
            << row.name;
        EXPECT_EQ(ShownText(*control, row.kind),
                  std::optional<std::string>(row.caption != nullptr ? row.caption : ""))
            << row.name;
        EXPECT_EQ(control->toolTip().toStdString(), row.toolTip) << row.name;
        EXPECT_EQ((control->focusPolicy() & Qt::TabFocus) != 0, TakesFocus(row.kind)) << row.name;
    }
}

// The controls that take the focus, by tab index.
inline std::vector<std::string> DesignedTabOrder(std::span<const DesignedControl> design) {
    std::vector<DesignedControl> focusable;
    std::copy_if(design.begin(), design.end(), std::back_inserter(focusable),
                 [](const DesignedControl& row) { return TakesFocus(row.kind); });
    std::sort(focusable.begin(), focusable.end(),
              [](const auto& a, const auto& b) { return a.tabIndex < b.tabIndex; });
    std::vector<std::string> names;
    names.reserve(focusable.size());
    for (const DesignedControl& row : focusable) names.push_back(row.name);
    return names;
}

// The focus from the control that has it, Tab by Tab, until it is back where it began.
inline std::vector<std::string> TabWalk() {
    QWidget* first = QApplication::focusWidget();
    std::vector<std::string> order;
    for (QWidget* at = first; at != nullptr && order.size() < 20;) {
        order.push_back(at->objectName().toStdString());
        QTest::keyClick(at, Qt::Key_Tab);
        at = QApplication::focusWidget();
        if (at == first) break;
    }
    return order;
}

}  // namespace vodazi::support
