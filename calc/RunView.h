#pragma once

#include <string>

#include "calc/OutputMode.h"

namespace vodazi {

// What a calculation run needs of the main window. Texts are UTF-8.
class RunView {
  public:
    virtual ~RunView() = default;

    virtual std::string StartText() const = 0;
    virtual void SetStartText(const std::string& text) = 0;
    virtual std::string EndText() const = 0;
    virtual void SetEndText(const std::string& text) = 0;

    virtual CheckBoxValue OutputCheckValue() const = 0;
    virtual std::string ReportFileName() const = 0;

    virtual void ShowProgressTrack() = 0;
    virtual void HideProgressTrack() = 0;
    virtual void ShowProgressFill() = 0;
    virtual void HideProgressFill() = 0;
    // Width in twips, as the window's rectangle takes it.
    virtual void SetProgressFillWidth(float twips) = 0;
};

}  // namespace vodazi
