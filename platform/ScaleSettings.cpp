#include "platform/ScaleSettings.h"

#include <QList>
#include <cmath>

#include "calc/UserTexts.h"

namespace vodazi {
namespace {

constexpr double SmallestFactor = 0.25;
constexpr double LargestFactor = 8.0;

struct ScaleVariable {
    const char* name;
    bool (*usable)(const QByteArray&);
};

}  // namespace

bool UsableScaleFactor(const QByteArray& text) {
    bool ok = false;
    const double factor = text.toDouble(&ok);  // read as Qt reads it
    return ok && std::isfinite(factor) && factor >= SmallestFactor && factor <= LargestFactor;
}

bool UsableScreenScaleFactors(const QByteArray& text) {
    const QList<QByteArray> entries = text.split(';');
    for (const QByteArray& entry : entries) {
        if (entry.isEmpty()) continue;  // Qt skips empty entries
        if (!UsableScaleFactor(entry.mid(entry.lastIndexOf('=') + 1))) return false;
    }
    return true;
}

std::vector<std::string> DropUnusableScaleSettings() {
    std::vector<std::string> warnings;
    for (const ScaleVariable& variable :
         {ScaleVariable{"QT_SCALE_FACTOR", UsableScaleFactor},
          ScaleVariable{"QT_SCREEN_SCALE_FACTORS", UsableScreenScaleFactors}}) {
        if (qEnvironmentVariableIsEmpty(variable.name)) continue;
        const QByteArray value = qgetenv(variable.name);
        if (variable.usable(value)) continue;
        qunsetenv(variable.name);
        warnings.push_back(texts::IgnoredScaleSettingLine(variable.name, value.toStdString()));
    }
    return warnings;
}

}  // namespace vodazi
