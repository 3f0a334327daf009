#include "windows/PrimeListAccessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <map>

#include "calc/UserTexts.h"
#include "windows/PrimeListView.h"

namespace vodazi {

namespace {

// One row of the list, made when a screen reader asks for it: the rows in view, the current
// row, and the row that was current before it, which the screen reader still holds while it
// moves to the new one. The list drops the others, so a hundred million items never cost
// more than a screenful of these.
class PrimeRowAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
  public:
    PrimeRowAccessible(PrimeListView* view, qint64 row) : view_(view), row_(row) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        return nullptr;
    }

    bool isValid() const override { return view_ != nullptr && row_ < view_->RowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parent() != nullptr ? parent()->window() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return view_ != nullptr ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name && isValid() ? view_->ItemText(row_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    // A row out of view has no place on the screen.
    QRect rect() const override {
        if (!isValid() || OutOfView()) return {};
        const QWidget* port = view_->viewport();
        const int y = static_cast<int>(row_ - view_->TopRow()) * view_->RowHeight();
        return {port->mapToGlobal(QPoint(0, y)), QSize(port->width(), view_->RowHeight())};
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.selectable = true;
        state.focusable = true;
        if (!isValid()) return state;
        state.offscreen = OutOfView();
        if (row_ == view_->CurrentRow()) {
            state.selected = true;
            state.focused = view_->hasFocus();
        }
        return state;
    }

    // QAccessibleTableCellInterface: a cell of the list's one column.
    bool isSelected() const override { return isValid() && row_ == view_->CurrentRow(); }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return static_cast<int>(row_); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

  private:
    bool OutOfView() const {
        return row_ < view_->TopRow() || row_ >= view_->TopRow() + view_->VisibleRows();
    }

    QPointer<PrimeListView> view_;
    qint64 row_;
};

// The list with its true size: a table of one column whose rows are its items, so that a
// screen reader learns how many there are and where the current one stands without asking
// for every row (Orca counts the items of a list one by one).
class PrimeListAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    explicit PrimeListAccessible(PrimeListView* view)
        : QAccessibleWidget(view, QAccessible::Table) {}

    ~PrimeListAccessible() override {
        for (const auto& [row, id] : rows_) QAccessible::deleteAccessibleInterface(id);
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override {
        QString text = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && text.isEmpty()) text = texts::ListName;
        return text;
    }

    int childCount() const override { return static_cast<int>(View().RowCount()); }

    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        const auto known = rows_.find(index);
        if (known != rows_.end()) return QAccessible::accessibleInterface(known->second);
        DropRowsNoLongerHeld();
        auto* made = new PrimeRowAccessible(&View(), index);
        rows_.emplace(index, QAccessible::registerAccessibleInterface(made));
        return made;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        for (const auto& [row, id] : rows_) {
            if (QAccessible::accessibleInterface(id) == child && row < View().RowCount())
                return static_cast<int>(row);
        }
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint local = View().viewport()->mapFromGlobal(QPoint(x, y));
        if (!View().viewport()->rect().contains(local)) return nullptr;
        return child(static_cast<int>(View().TopRow() + local.y() / View().RowHeight()));
    }

    QAccessibleInterface* focusChild() const override {
        return View().CurrentRow() >= 0 ? child(static_cast<int>(View().CurrentRow())) : nullptr;
    }

    // QAccessibleTableInterface: one column, one row selected at most, the current one.
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        return column == 0 ? child(row) : nullptr;
    }
    int selectedCellCount() const override { return selectedRowCount(); }
    QList<QAccessibleInterface*> selectedCells() const override {
        if (View().CurrentRow() < 0) return {};
        return {child(static_cast<int>(View().CurrentRow()))};
    }
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int columnCount() const override { return 1; }
    int rowCount() const override { return childCount(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return View().CurrentRow() >= 0 ? 1 : 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override {
        if (View().CurrentRow() < 0) return {};
        return {static_cast<int>(View().CurrentRow())};
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override { return row == View().CurrentRow(); }
    bool selectRow(int row) override {
        View().SetCurrentRow(row);
        return row == View().CurrentRow();
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }  // one row stays selected, as in a list box
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

  private:
    PrimeListView& View() const { return *static_cast<PrimeListView*>(widget()); }

    bool Held(qint64 row) const {
        const qint64 top = View().TopRow();
        return (row >= top && row < top + View().VisibleRows()) || row == View().CurrentRow() ||
               row == View().PreviousRow();
    }

    void DropRowsNoLongerHeld() const {
        for (auto it = rows_.begin(); it != rows_.end();) {
            if (Held(it->first)) {
                ++it;
                continue;
            }
            QAccessible::deleteAccessibleInterface(it->second);
            it = rows_.erase(it);
        }
    }

    mutable std::map<qint64, QAccessible::Id> rows_;
};

}  // namespace

// The toolkit asks with the name of each class of the object in turn, its own first; only the
// list's own name is answered, so that any other scroll area keeps the toolkit's description.
QAccessibleInterface* PrimeListAccessibleFactory(const QString& className, QObject* object) {
    if (object == nullptr) return nullptr;
    if (className != QLatin1String(PrimeListView::staticMetaObject.className())) return nullptr;
    return new PrimeListAccessible(static_cast<PrimeListView*>(object));
}

}  // namespace vodazi
