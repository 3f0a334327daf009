#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace vodazi {

// Every PrimeListView as assistive technology reads it: a table of one column with as many
// rows as the list has items, each a list item with its number and its position; only the
// rows asked for are made. A factory for QAccessible::installFactory that answers for the
// list's class only.
QAccessibleInterface* PrimeListAccessibleFactory(const QString& className, QObject* object);

}  // namespace vodazi
