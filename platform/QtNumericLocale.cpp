#include "platform/QtNumericLocale.h"

#include <QLocale>
#include <QString>
#include <QStringList>

namespace vodazi {
namespace {

// The locale tells its group sizes only by a number it writes: "1,23,45,67,890" in India.
void TakeGroupSizes(const QLocale& locale, NumberForm& form) {
    const QStringList groups =
        locale.toString(Q_INT64_C(1234567890)).split(locale.groupSeparator());
    if (groups.size() < 3) return;
    form.groupSize = static_cast<int>(groups[groups.size() - 1].size());
    form.otherGroupSize = static_cast<int>(groups[groups.size() - 2].size());
}

// QLocale::system() takes its numbers from LC_NUMERIC but its language from LANG, and gives
// the C locale a group separator the C library does not have; so whether the numbers are the
// C locale's is asked of the variable they come from, looked up as the C library does.
bool NumbersOfTheCLocale() {
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty()) return QLocale(name).language() == QLocale::C;
    }
    return true;
}

}  // namespace

NumberForm QtNumericLocale::UserForm() const {
    if (NumbersOfTheCLocale()) return {};
    const QLocale locale = QLocale::system();
    NumberForm form;
    form.decimalPoint = locale.decimalPoint().toStdString();
    form.groupSeparator = locale.groupSeparator().toStdString();
    form.minusSign = locale.negativeSign().toStdString();
    form.plusSign = locale.positiveSign().toStdString();
    form.exponent = locale.exponential().toStdString();
    const QList<uint> zero = locale.zeroDigit().toUcs4();
    if (!zero.isEmpty()) form.zeroDigit = zero.front();
    TakeGroupSizes(locale, form);
    return form;
}

}  // namespace vodazi
