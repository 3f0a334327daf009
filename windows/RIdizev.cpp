#include "windows/RIdizev.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "calc/Bounds.h"
#include "calc/Conversions.h"
#include "calc/FillProgress.h"
#include "calc/UserTexts.h"
#include "platform/CommandButton.h"
#include "platform/DescriptorReserve.h"
#include "platform/SolidRectangle.h"
#include "platform/Twips.h"

namespace vodazi {
namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}
std::string ToUtf8(const QString& text) {
    return text.toStdString();
}

template <typename Control>
Control* Place(Control* control, const char* name, QRect geometry) {
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

}  // namespace

RIdizev::RIdizev(QWidget* parent) : QWidget(parent) {
    setObjectName("RIdizev");
    setWindowTitle(texts::MainWindowCaption);
    setFixedSize(TwipsToPixels(4890), TwipsToPixels(3795));
    CreateControls();
    Form_Load();
}

RIdizev::~RIdizev() = default;

void RIdizev::CreateControls() {
    // In the window's control order, but for the two rectangles: the red fill must lie in
    // front of the white track, and a later widget lies in front of an earlier one.
    datei_ = Place(new QCheckBox(texts::ReportFileCheckBox, this), "Datei",
                   TwipsRect(480, 1440, 1815, 255));
    datei_->setToolTip(texts::ReportFileCheckBoxTip);
    fName_ = Place(new QLineEdit("c:\\temp\\vodazi.txt", this), "FName",
                   TwipsRect(480, 1800, TrackWidth, 285));
    fName_->setAccessibleName(texts::ReportFileBoxName);  // no label of its own on the window
    ende_ = Place(new QLineEdit("1000", this), "Ende", TwipsRect(1680, 840, 1215, 285));
    start_ = Place(new QLineEdit("3", this), "Start", TwipsRect(1680, 360, 1215, 285));
    primzahlen_ = Place(new CommandButton(texts::CalculateButton, this), "Primzahlen",
                        TwipsRect(480, 2280, TrackWidth, 615));
    QFont buttonFont("MS Sans Serif");
    buttonFont.setPointSizeF(9.75);
    buttonFont.setWeight(QFont::Bold);
    primzahlen_->setFont(buttonFont);
    lPmax_ =
        Place(new QLabel(texts::LimitHintAtDesign, this), "LPmax", TwipsRect(3000, 840, 1815, 255));
    aktStatus_ = Place(new SolidRectangle(Qt::white, this), "AktStatus",
                       TwipsRect(480, 3120, TrackWidth, 255));
    aktFill_ = Place(new SolidRectangle(QColor(192, 0, 0), this), "AktFill",
                     TwipsRect(480, 3120, 15, 255));
    lEnde_ = Place(new QLabel(texts::EndLabel, this), "LEnde", TwipsRect(480, 840, 975, 255));
    lStart_ = Place(new QLabel(texts::StartLabel, this), "LStart", TwipsRect(480, 360, 975, 255));
    // Screen readers name each bound box by the label beside it.
    lStart_->setBuddy(start_);
    lEnde_->setBuddy(ende_);
    notice_ =
        Place(new QLabel(texts::Notice, this), "Notice", TwipsRect(480, 3480, TrackWidth, 255));
    notice_->setEnabled(false);

    setTabOrder(primzahlen_, start_);
    setTabOrder(start_, ende_);
    setTabOrder(ende_, fName_);
    setTabOrder(fName_, datei_);
    primzahlen_->setFocus();

    connect(datei_, &QCheckBox::stateChanged, this, [this] { Datei_Click(); });
    connect(primzahlen_, &QPushButton::clicked, this, [this] { Primzahlen_Click(); });
}

void RIdizev::Form_Load() {
    Datei_Click();
    aktStatus_->hide();
    aktFill_->hide();
    lPmax_->setText(FromUtf8(texts::LimitHint(IntToText(MaxBound))));
    ende_->setAccessibleDescription(lPmax_->text());  // heard with the End box it explains
}

void RIdizev::Datei_Click() {
    const bool toFile = OutputModeOf(OutputCheckValue()) == OutputMode::ReportFile;
    fName_->setVisible(toFile);
    fName_->setEnabled(toFile);
}

// A click that the event loop delivers during a run, while it repaints or while its message
// box or list window is open, starts nothing.
void RIdizev::Primzahlen_Click() {
    if (running_) return;
    paintPump_.Restart();
    ReclaimDescriptorReserve();  // the run's own calls meet the limit first
    emit CalculationRequested();
}

void RIdizev::RunBegins() {
    running_ = true;
}
void RIdizev::RunEnds() {
    running_ = false;
}

QWidget* RIdizev::ProgressTrack() const {
    return aktStatus_;
}
QWidget* RIdizev::ProgressFill() const {
    return aktFill_;
}

// A run cannot be interrupted: the window stays until it is over.
void RIdizev::closeEvent(QCloseEvent* event) {
    if (running_) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

std::string RIdizev::StartText() const {
    return ToUtf8(start_->text());
}
void RIdizev::SetStartText(const std::string& text) {
    start_->setText(FromUtf8(text));
}
std::string RIdizev::EndText() const {
    return ToUtf8(ende_->text());
}
void RIdizev::SetEndText(const std::string& text) {
    ende_->setText(FromUtf8(text));
}

CheckBoxValue RIdizev::OutputCheckValue() const {
    switch (datei_->checkState()) {
        case Qt::Checked:
            return CheckBoxValue::Checked;
        case Qt::PartiallyChecked:
            return CheckBoxValue::Greyed;
        case Qt::Unchecked:
            break;
    }
    return CheckBoxValue::Unchecked;
}

std::string RIdizev::ReportFileName() const {
    return ToUtf8(fName_->text());
}

void RIdizev::ShowProgressTrack() {
    aktStatus_->show();
}
void RIdizev::HideProgressTrack() {
    aktStatus_->hide();
}
void RIdizev::ShowProgressFill() {
    aktFill_->show();
    progressAnnouncer_.Restart();
    paintPump_.Pump();  // the hourglass and the empty bar show before the scan begins
}
void RIdizev::HideProgressFill() {
    progressAnnouncer_.Announce(*aktStatus_);  // where the run ended, before the bar goes
    aktFill_->hide();
    // The last pass drops what was typed or clicked since the previous one, before the
    // list window opens or the window takes input again.
    if (running_) paintPump_.Pump();
}

void RIdizev::SetProgressFillWidth(float twips) {
    aktFill_->SetWidthTwips(twips);
    if (!running_) return;
    progressAnnouncer_.MaybeAnnounce(*aktStatus_);
    paintPump_.MaybePump();
}

}  // namespace vodazi
