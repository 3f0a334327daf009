#pragma once

#include <optional>
#include <string>

namespace vodazi {

// The title of every message box that does not bring its own.
inline constexpr const char* ApplicationTitle = "Vodazi";

enum class MessageButtons { Ok, YesNoDefaultNo };
enum class MessageAnswer { Ok, Yes, No };

// A modal message box without an icon. Without a title it carries ApplicationTitle.
class MessageBoxService {
  public:
    virtual ~MessageBoxService() = default;
    virtual MessageAnswer Show(const std::string& prompt, MessageButtons buttons,
                               const std::optional<std::string>& title = std::nullopt) = 0;
};

}  // namespace vodazi
