#pragma once

#include <QDialog>

#include "windows/PrimeStore.h"

class QPushButton;

namespace vodazi {

class PrimeListView;

// The window "Vodazi List": the primes of one run and a button to close it.
class FPrimeList : public QDialog {
    Q_OBJECT

  public:
    explicit FPrimeList(QWidget* parent = nullptr);

    PrimeStore& Items() { return items_; }

    // Shows the window modally over `owner` and returns once it has been closed.
    void ShowModal(QWidget* owner);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Exit_Click();

    PrimeStore items_;
    PrimeListView* primeList_;
    QPushButton* exit_;
};

}  // namespace vodazi
