#pragma once

#include <QColor>
#include <QWidget>

namespace vodazi {

// A filled rectangle without outline, like the shapes of a form: it takes no focus and no
// input, and its width can be set in twips.
class SolidRectangle : public QWidget {
    Q_OBJECT

  public:
    SolidRectangle(QColor fill, QWidget* parent);

    void SetWidthTwips(float twips);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor fill_;
};

}  // namespace vodazi
