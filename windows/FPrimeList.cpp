#include "windows/FPrimeList.h"

#include <QKeyEvent>
#include <QPushButton>

#include "calc/UserTexts.h"
#include "platform/CommandButton.h"
#include "platform/Twips.h"
#include "windows/PrimeListView.h"

namespace vodazi {

FPrimeList::FPrimeList(QWidget* parent)
    : QDialog(parent),
      primeList_(new PrimeListView(items_, this)),
      exit_(new CommandButton(texts::ExitButton, this)) {
    setObjectName("FPrimeList");
    setWindowTitle(texts::ListWindowCaption);
    setFixedSize(TwipsToPixels(3255), TwipsToPixels(3840));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    primeList_->setObjectName("PrimeList");
    primeList_->setGeometry(TwipsRect(240, 120, 1575, 3570));
    exit_->setObjectName("Exit");
    exit_->setGeometry(TwipsRect(2040, 3120, 1095, 615));
    setTabOrder(primeList_, exit_);
    connect(exit_, &QPushButton::clicked, this, [this] { Exit_Click(); });
}

void FPrimeList::Exit_Click() {
    close();
}

void FPrimeList::ShowModal(QWidget* owner) {
    if (owner != nullptr && owner != parentWidget()) setParent(owner, windowFlags());
    primeList_->ItemsChanged();
    primeList_->setFocus();
    exec();
}

// Exit is no cancel button: Escape leaves the window open.
void FPrimeList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace vodazi
