#include "windows/MainWindowAccessible.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <algorithm>

#include "calc/UserTexts.h"
#include "platform/SolidRectangle.h"
#include "windows/RIdizev.h"

namespace vodazi {
namespace {

// The white track, read as the progress bar, as the toolkit reads its own: a percentage, the
// part of the track that the red fill covers. The fill may run past the track's end; the
// value never passes 100.
class ProgressBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    ProgressBarAccessible(QWidget* track, QWidget* fill)
        : QAccessibleWidget(track, QAccessible::ProgressBar), fill_(fill) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override {
        QString text = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && text.isEmpty()) text = texts::ProgressBarName;
        return text;
    }

    QVariant currentValue() const override {
        const int fill = fill_ != nullptr ? fill_->width() : 0;
        const int track = std::max(widget()->width(), 1);
        return std::clamp(fill, 0, track) * Percent / track;
    }
    void setCurrentValue(const QVariant&) override {}  // only a run moves the bar
    QVariant maximumValue() const override { return Percent; }
    QVariant minimumValue() const override { return 0; }
    // Any value between the two is valid, but screen readers (Orca) take from the step how
    // many digits to speak; a hundredth of the range, as the toolkit's own bar gives.
    QVariant minimumStepSize() const override { return Percent / 100.0; }

  private:
    static constexpr int Percent = 100;
    QPointer<QWidget> fill_;
};

// The window as a frame. Its children are those of any widget but the red fill, which is
// part of the progress bar and no control of its own.
class MainWindowAccessible : public QAccessibleWidget {
  public:
    explicit MainWindowAccessible(RIdizev* window)
        : QAccessibleWidget(window, QAccessible::Window) {}

    int childCount() const override { return static_cast<int>(Children().size()); }

    QAccessibleInterface* child(int index) const override {
        const QWidgetList children = Children();
        if (index < 0 || index >= children.size()) return nullptr;
        return QAccessible::queryAccessibleInterface(children[index]);
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child == nullptr || !child->object()) return -1;
        return static_cast<int>(Children().indexOf(qobject_cast<QWidget*>(child->object())));
    }

  private:
    QWidgetList Children() const {
        const auto& window = *static_cast<RIdizev*>(widget());
        QWidgetList children;
        for (QObject* object : window.children()) {
            auto* control = qobject_cast<QWidget*>(object);
            if (control == nullptr || control->isWindow() || control == window.ProgressFill())
                continue;
            children.append(control);
        }
        return children;
    }
};

// The red fill, which is part of the progress bar and nothing of its own: an interface that
// is never valid, so that its showing and hiding reach no screen reader as an object.
class PartOfTheBarAccessible : public QAccessibleWidget {
  public:
    explicit PartOfTheBarAccessible(QWidget* fill) : QAccessibleWidget(fill) {}
    bool isValid() const override { return false; }
};

}  // namespace

// The toolkit asks with the name of each class of the object in turn, its own first; only the
// names of our classes are answered, so that a widget of any other class keeps the toolkit's
// own description.
QAccessibleInterface* MainWindowAccessibleFactory(const QString& className, QObject* object) {
    if (object == nullptr) return nullptr;
    if (className == QLatin1String(RIdizev::staticMetaObject.className()))
        return new MainWindowAccessible(static_cast<RIdizev*>(object));
    if (className != QLatin1String(SolidRectangle::staticMetaObject.className())) return nullptr;
    const auto* window = qobject_cast<RIdizev*>(object->parent());
    if (window == nullptr) return nullptr;
    if (object == window->ProgressTrack()) {
        return new ProgressBarAccessible(window->ProgressTrack(), window->ProgressFill());
    }
    if (object == window->ProgressFill()) return new PartOfTheBarAccessible(window->ProgressFill());
    return nullptr;
}

}  // namespace vodazi
