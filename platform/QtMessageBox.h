#pragma once

#include "calc/MessageBoxService.h"

namespace vodazi {

// Message boxes as the run expects them: no icon, OK alone or Yes and No with No as the
// default and Escape answering No, owned by the active window.
class QtMessageBox : public MessageBoxService {
  public:
    using MessageBoxService::Show;
    MessageAnswer Show(const std::string& prompt, MessageButtons buttons,
                       const std::optional<std::string>& title) override;
};

}  // namespace vodazi
