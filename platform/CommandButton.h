#pragma once

#include <QPushButton>

namespace vodazi {

// A command button as the forms know it: Enter or Return clicks it while it has the focus,
// as Space does, but it is never the window's default button, so Enter in a text box does not
// reach it.
class CommandButton : public QPushButton {
    Q_OBJECT

  public:
    CommandButton(const QString& caption, QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace vodazi
