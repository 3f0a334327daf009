#pragma once

#include <QWidget>
#include <memory>

#include "calc/CalculationRun.h"
#include "calc/RunView.h"
#include "platform/PaintPump.h"
#include "platform/QtBusyPointer.h"
#include "platform/QtMessageBox.h"
#include "windows/ListWindowOutput.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vodazi {

class SolidRectangle;

// The main window "Calculate Vodazi": the bounds, the output choice, the button that starts
// a run, and the progress bar the run drives.
class RIdizev : public QWidget, public RunView {
public:
    // `report` is the report-file destination; the window does not own it.
    RIdizev(ReportOutput& report, QWidget* parent = nullptr);
    ~RIdizev() override;

    // RunView
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

    bool RunInProgress() const { return running_; }
    ListWindowOutput& ListWindow() { return list_; }

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

    QtMessageBox messages_;
    QtBusyPointer pointer_;
    ListWindowOutput list_;
    PaintPump paintPump_;
    std::unique_ptr<CalculationRun> run_;
    bool running_ = false;
};

}  // namespace vodazi
