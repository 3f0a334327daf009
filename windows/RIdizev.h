#pragma once

#include <QWidget>
#include <memory>

#include "calc/RunView.h"
#include "platform/PaintPump.h"
#include "windows/ProgressAnnouncer.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vodazi {

class SolidRectangle;

// The main window "Calculate Vodazi": the bounds, the output choice, the button that starts
// a run, and the progress bar the run drives. It knows of a run only what the run tells it
// through the RunView.
class RIdizev : public QWidget, public RunView {
    Q_OBJECT

  public:
    explicit RIdizev(QWidget* parent = nullptr);
    ~RIdizev() override;

    // RunView
    void RunBegins() override;
    void RunEnds() override;
    std::string StartText() const override;
    void SetStartText(const std::string& text) override;
    std::string EndText() const override;
    void SetEndText(const std::string& text) override;
    CheckBoxValue OutputCheckValue() const override;
    std::string ReportFileName() const override;
    void ShowProgressTrack() override;
    void HideProgressTrack() override;
    void ShowProgressFill() override;
    void HideProgressFill() override;
    void SetProgressFillWidth(float twips) override;

    // The progress bar's two rectangles, which screen readers hear as one bar.
    QWidget* ProgressTrack() const;
    QWidget* ProgressFill() const;

  signals:
    // The button "begin of calculate" was clicked while no run is going on.
    void CalculationRequested();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateControls();
    void Form_Load();
    void Datei_Click();
    void Primzahlen_Click();

    QCheckBox* datei_ = nullptr;
    QLineEdit* fName_ = nullptr;
    QLineEdit* ende_ = nullptr;
    QLineEdit* start_ = nullptr;
    QPushButton* primzahlen_ = nullptr;
    QLabel* lPmax_ = nullptr;
    SolidRectangle* aktFill_ = nullptr;
    SolidRectangle* aktStatus_ = nullptr;
    QLabel* lEnde_ = nullptr;
    QLabel* lStart_ = nullptr;
    QLabel* notice_ = nullptr;

    PaintPump paintPump_;
    ProgressAnnouncer progressAnnouncer_;
    bool running_ = false;  // as the run last told
};

}  // namespace vodazi
