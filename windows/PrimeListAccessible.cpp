#include "windows/PrimeListAccessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QScrollBar>
#include <map>

#include "windows/PrimeListView.h"

namespace vodazi {

namespace {

// One row of the list while it is in view; the list creates it when asked and drops it once
// the row has scrolled away, so a hundred million items never cost more than a screenful.
class PrimeRowAccessible : public QAccessibleInterface {
  public:
    PrimeRowAccessible(PrimeListView* view, qint64 row) : view_(view), row_(row) {}

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
    QRect rect() const override {
        if (!isValid()) return {};
        const QWidget* port = view_->viewport();
        const int y = static_cast<int>(row_ - view_->TopRow()) * view_->RowHeight();
        return {port->mapToGlobal(QPoint(0, y)), QSize(port->width(), view_->RowHeight())};
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.selectable = true;
        state.focusable = true;
        if (isValid() && row_ == view_->CurrentRow()) {
            state.selected = true;
            state.focused = view_->hasFocus();
        }
        return state;
    }

  private:
    QPointer<PrimeListView> view_;
    qint64 row_;
};

class PrimeListAccessible : public QAccessibleWidget {
  public:
    explicit PrimeListAccessible(PrimeListView* view)
        : QAccessibleWidget(view, QAccessible::List) {}

    ~PrimeListAccessible() override {
        for (const auto& [row, id] : rows_) QAccessible::deleteAccessibleInterface(id);
    }

    QString text(QAccessible::Text kind) const override {
        QString text = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && text.isEmpty()) text = "Primes";
        return text;
    }

    int childCount() const override {
        return static_cast<int>(
            std::min<qint64>(View().VisibleRows(), View().RowCount() - View().TopRow()));
    }

    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        DropRowsOutOfView();
        const qint64 row = View().TopRow() + index;
        const auto known = rows_.find(row);
        if (known != rows_.end()) return QAccessible::accessibleInterface(known->second);
        auto* made = new PrimeRowAccessible(&View(), row);
        rows_.emplace(row, QAccessible::registerAccessibleInterface(made));
        return made;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        for (const auto& [row, id] : rows_) {
            if (QAccessible::accessibleInterface(id) != child) continue;
            const qint64 index = row - View().TopRow();
            return index >= 0 && index < childCount() ? static_cast<int>(index) : -1;
        }
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint local = View().viewport()->mapFromGlobal(QPoint(x, y));
        if (!View().viewport()->rect().contains(local)) return nullptr;
        return child(local.y() / View().RowHeight());
    }

    QAccessibleInterface* focusChild() const override {
        const qint64 index = View().CurrentRow() - View().TopRow();
        return View().CurrentRow() >= 0 && index >= 0 && index < childCount()
                   ? child(static_cast<int>(index))
                   : nullptr;
    }

  private:
    PrimeListView& View() const { return *static_cast<PrimeListView*>(widget()); }

    void DropRowsOutOfView() const {
        const qint64 top = View().TopRow();
        const qint64 end = top + childCount();
        for (auto it = rows_.begin(); it != rows_.end();) {
            if (it->first >= top && it->first < end) {
                ++it;
                continue;
            }
            QAccessible::deleteAccessibleInterface(it->second);
            it = rows_.erase(it);
        }
    }

    mutable std::map<qint64, QAccessible::Id> rows_;
};

QAccessibleInterface* PrimeListFactory(const QString&, QObject* object) {
    auto* view = dynamic_cast<PrimeListView*>(object);
    return view != nullptr ? new PrimeListAccessible(view) : nullptr;
}

}  // namespace

void InstallPrimeListAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(PrimeListFactory);
        return true;
    }();
    (void)installed;
}

void AnnounceCurrentRow(PrimeListView& view) {
    const int child = static_cast<int>(view.CurrentRow() - view.TopRow());
    QAccessibleEvent selection(&view, QAccessible::Selection);
    selection.setChild(child);
    QAccessible::updateAccessibility(&selection);
    if (!view.hasFocus()) return;
    QAccessibleEvent focus(&view, QAccessible::Focus);
    focus.setChild(child);
    QAccessible::updateAccessibility(&focus);
}

}  // namespace vodazi
