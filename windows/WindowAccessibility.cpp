#include "windows/WindowAccessibility.h"

#include <QAccessible>

#include "windows/MainWindowAccessible.h"
#include "windows/PrimeListAccessible.h"

namespace vodazi {

void InstallWindowAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(MainWindowAccessibleFactory);
        QAccessible::installFactory(PrimeListAccessibleFactory);
        return true;
    }();
    (void)installed;
}

}  // namespace vodazi
