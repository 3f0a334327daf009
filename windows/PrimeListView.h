#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>

#include "windows/PrimeStore.h"

namespace vodazi {

// A list box for any number of items: it paints only the rows in view and keeps its scroll
// bar in rows, so a hundred million primes open as fast as ten. One row can be selected by
// click or keys (Up, Down, PageUp, PageDown, Home, End, or typing the first digits of a
// number) and copied with Ctrl+C. Assistive technology reads its size and each row's position.
class PrimeListView : public QAbstractScrollArea {
    Q_OBJECT

  public:
    PrimeListView(const PrimeStore& items, QWidget* parent);

    // Call after items were added.
    void ItemsChanged();

    qint64 RowCount() const { return static_cast<qint64>(items_.Size()); }
    QString ItemText(qint64 row) const;
    qint64 CurrentRow() const { return current_; }
    // The row that was current before the current one, which a screen reader still holds
    // while it moves to the new one; -1 if there was none.
    qint64 PreviousRow() const { return previous_; }
    void SetCurrentRow(qint64 row);
    qint64 TopRow() const;
    int RowHeight() const;
    int VisibleRows() const;

    // Selects the next item whose text begins with what was typed, as list boxes do: text
    // typed within the keyboard input interval extends the search from the current item, a
    // pause starts a new one past it; the search wraps around. Empty text ends the search.
    void KeyboardSearch(const QString& typed);

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
    void TypeAhead(QKeyEvent* event);
    void AnnounceCurrentRow();

    const PrimeStore& items_;
    qint64 current_ = -1;
    qint64 previous_ = -1;
    QString typed_;
    QElapsedTimer lastTyped_;
};

}  // namespace vodazi
