#pragma once

// Answers the modal windows a test's click opens, in the order they appear: message boxes
// and the list window run their own event loops, so the answers come from a timer.

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace vodazi::support {

struct SeenMessage {
    std::string title;
    std::string text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool hasIcon = false;
};

class ModalScript {
  public:
    using Action = std::function<void(QWidget* modal)>;

    ModalScript() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }

    void Then(Action action) { actions_.push_back(std::move(action)); }

    // Records the message box and presses `button`.
    void ThenMessage(QMessageBox::StandardButton button, std::vector<SeenMessage>* seen) {
        Then([button, seen](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) {
                modal->close();
                return;
            }
            if (seen != nullptr) {
                seen->push_back({box->windowTitle().toStdString(), box->text().toStdString(),
                                 box->standardButtons(),
                                 box->defaultButton() ? box->standardButton(box->defaultButton())
                                                      : QMessageBox::NoButton,
                                 box->icon() != QMessageBox::NoIcon});
            }
            box->button(button)->click();
        });
    }

    bool Done() const { return actions_.empty(); }
    // Modal windows that appeared with no answer left; they were closed.
    int Unexpected() const { return unexpected_; }

  private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || modal == handled_) return;
        handled_ = modal;
        if (actions_.empty()) {
            ++unexpected_;
            modal->close();
            return;
        }
        Action action = std::move(actions_.front());
        actions_.pop_front();
        action(modal);
    }

    QTimer timer_;
    std::deque<Action> actions_;
    QPointer<QWidget>
        handled_;  // cleared when it is destroyed, so a new window at the same address counts
    int unexpected_ = 0;
};

}  // namespace vodazi::support
