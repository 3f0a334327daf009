#pragma once

#include <QAbstractScrollArea>

#include "windows/PrimeStore.h"

namespace vodazi {

// A list box for any number of items: it paints only the rows in view and keeps its scroll
// bar in rows, so a hundred million primes open as fast as ten. One row can be selected by
// click or keys (Up, Down, PageUp, PageDown, Home, End) and copied with Ctrl+C.
class PrimeListView : public QAbstractScrollArea {
public:
    PrimeListView(const PrimeStore& items, QWidget* parent);

    // Call after items were added.
    void ItemsChanged();

    qint64 CurrentRow() const { return current_; }
    void SetCurrentRow(qint64 row);
    qint64 TopRow() const;
    int RowHeight() const;
    int VisibleRows() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void UpdateScrollRange();
    void EnsureVisible(qint64 row);
    QString ItemText(qint64 row) const;

    const PrimeStore& items_;
    qint64 current_ = -1;
};

}  // namespace vodazi
