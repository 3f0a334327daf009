#include "windows/PrimeListView.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>

#include "windows/PrefixSearch.h"

namespace vodazi {

PrimeListView::PrimeListView(const PrimeStore& items, QWidget* parent)
    : QAbstractScrollArea(parent), items_(items) {
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    UpdateScrollRange();
}

void PrimeListView::ItemsChanged() {
    UpdateScrollRange();
    viewport()->update();
}

int PrimeListView::RowHeight() const {
    return fontMetrics().height() + 1;
}

int PrimeListView::VisibleRows() const {
    return std::max(1, viewport()->height() / RowHeight());
}

qint64 PrimeListView::TopRow() const {
    return verticalScrollBar()->value();
}

// The scroll bar counts rows, not pixels: its int range then holds any 32-bit list.
void PrimeListView::UpdateScrollRange() {
    const auto count = static_cast<qint64>(items_.Size());
    const qint64 maximum = std::max<qint64>(0, count - VisibleRows());
    verticalScrollBar()->setRange(0, static_cast<int>(std::min<qint64>(maximum, INT_MAX)));
    verticalScrollBar()->setPageStep(VisibleRows());
}

QString PrimeListView::ItemText(qint64 row) const {
    return QString::number(items_.At(static_cast<std::size_t>(row)));
}

void PrimeListView::SetCurrentRow(qint64 row) {
    const auto count = static_cast<qint64>(items_.Size());
    if (count == 0) return;
    const qint64 before = current_;
    current_ = std::clamp<qint64>(row, 0, count - 1);
    EnsureVisible(current_);
    viewport()->update();
    if (current_ == before) return;
    previous_ = before;
    if (QAccessible::isActive()) AnnounceCurrentRow();
}

// Screen readers follow the current row, the list's child of the same index, by the events a
// list sends: its selection, and its focus while the list has the focus.
void PrimeListView::AnnounceCurrentRow() {
    const int child = static_cast<int>(current_);
    QAccessibleEvent selection(this, QAccessible::Selection);
    selection.setChild(child);
    QAccessible::updateAccessibility(&selection);
    if (!hasFocus()) return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(child);
    QAccessible::updateAccessibility(&focus);
}

void PrimeListView::KeyboardSearch(const QString& typed) {
    const bool extends = !typed.isEmpty() && lastTyped_.isValid() &&
                         lastTyped_.elapsed() <= QApplication::keyboardInputInterval();
    lastTyped_.start();
    typed_ = extends ? typed_ + typed : typed;
    if (typed_.isEmpty()) return;
    const qint64 from = current_ < 0 ? 0 : extends ? current_ : current_ + 1;
    const auto found =
        FindItemWithPrefix(items_, typed_.toStdString(), static_cast<std::size_t>(from));
    if (found) SetCurrentRow(static_cast<qint64>(*found));
}

void PrimeListView::EnsureVisible(qint64 row) {
    const qint64 top = TopRow();
    if (row < top) {
        verticalScrollBar()->setValue(static_cast<int>(row));
    } else if (row >= top + VisibleRows()) {
        verticalScrollBar()->setValue(static_cast<int>(row - VisibleRows() + 1));
    }
}

void PrimeListView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int rowHeight = RowHeight();
    const auto count = static_cast<qint64>(items_.Size());
    const qint64 top = TopRow();
    const QPalette& colours = palette();
    for (int y = 0; y < viewport()->height(); y += rowHeight) {
        const qint64 row = top + y / rowHeight;
        if (row >= count) break;
        const QRect line(0, y, viewport()->width(), rowHeight);
        const bool selected = row == current_;
        if (selected) painter.fillRect(line, colours.brush(QPalette::Highlight));
        painter.setPen(colours.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(line.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         ItemText(row));
        if (selected && hasFocus()) {
            painter.setPen(QPen(colours.color(QPalette::HighlightedText), 1, Qt::DotLine));
            painter.drawRect(line.adjusted(0, 0, -1, -1));
        }
    }
}

void PrimeListView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void PrimeListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const qint64 row = TopRow() + static_cast<int>(event->position().y()) / RowHeight();
    if (row < static_cast<qint64>(items_.Size())) SetCurrentRow(row);
}

void PrimeListView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        if (current_ >= 0) QApplication::clipboard()->setText(ItemText(current_));
        return;
    }
    const qint64 last = static_cast<qint64>(items_.Size()) - 1;
    const qint64 from = std::max<qint64>(current_, 0);
    switch (event->key()) {
        case Qt::Key_Up:
            SetCurrentRow(current_ < 0 ? 0 : from - 1);
            break;
        case Qt::Key_Down:
            SetCurrentRow(current_ < 0 ? 0 : from + 1);
            break;
        case Qt::Key_PageUp:
            SetCurrentRow(from - (VisibleRows() - 1));
            break;
        case Qt::Key_PageDown:
            SetCurrentRow(from + (VisibleRows() - 1));
            break;
        case Qt::Key_Home:
            SetCurrentRow(0);
            break;
        case Qt::Key_End:
            SetCurrentRow(last);
            break;
        default:
            TypeAhead(event);
            return;
    }
}

// Digits search; other characters are not in any item and go on to the window.
void PrimeListView::TypeAhead(QKeyEvent* event) {
    const QString text = event->text();
    const bool digit =
        text.size() == 1 && text.front() >= u'0' && text.front() <= u'9' &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!digit) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    KeyboardSearch(text);
    event->accept();
}

void PrimeListView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void PrimeListView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

}  // namespace vodazi
