#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace vodazi {

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

// The application-wide mouse pointer.
enum class MousePointer { Default = 0, Hourglass = 11 };

class BusyPointer {
public:
    virtual ~BusyPointer() = default;
    virtual void SetMousePointer(MousePointer pointer) = 0;
};

// A failure the user is told about in a message box, after which the run ends in order.
class RunFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace vodazi
