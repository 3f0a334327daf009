#include "platform/QtMessageBox.h"

#include <QMessageBox>

#include "calc/UserTexts.h"
#include "platform/ActiveWindow.h"
#include "platform/DescriptorReserve.h"

namespace vodazi {

MessageAnswer QtMessageBox::Show(const std::string& prompt, MessageButtons buttons,
                                 const std::optional<std::string>& title) {
    const DescriptorsLent forTheBox;
    QMessageBox box(ActiveWindow());
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(QString::fromStdString(title.value_or(texts::ApplicationTitle)));
    box.setText(QString::fromStdString(prompt));
    box.setTextFormat(Qt::PlainText);
    if (buttons == MessageButtons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MessageAnswer::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

}  // namespace vodazi
