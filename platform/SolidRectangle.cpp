#include "platform/SolidRectangle.h"

#include <QPainter>

#include "platform/Twips.h"

namespace vodazi {

SolidRectangle::SolidRectangle(QColor fill, QWidget* parent) : QWidget(parent), fill_(fill) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SolidRectangle::SetWidthTwips(float twips) {
    const int width = TwipsToPixels(twips);
    if (width != this->width()) resize(width, height());
}

void SolidRectangle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), fill_);
}

}  // namespace vodazi
