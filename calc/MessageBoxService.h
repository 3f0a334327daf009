#pragma once

#include <optional>
#include <string>

namespace vodazi {

enum class MessageButtons { Ok, YesNoDefaultNo };
enum class MessageAnswer { Ok, Yes, No };

// A modal message box without an icon. Without a title it carries texts::ApplicationTitle.
class MessageBoxService {
  public:
    virtual ~MessageBoxService() = default;
    // Without a title of its own, so with texts::ApplicationTitle.
    MessageAnswer Show(const std::string& prompt, MessageButtons buttons) {
        return Show(prompt, buttons, std::nullopt);
    }
    virtual MessageAnswer Show(const std::string& prompt, MessageButtons buttons,
                               const std::optional<std::string>& title) = 0;
};

}  // namespace vodazi
