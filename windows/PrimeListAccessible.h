#pragma once

namespace vodazi {

class PrimeListView;

// Makes every PrimeListView readable by assistive technology: a table of one column with as
// many rows as the list has items, each a list item with its number and its position; only
// the rows asked for are made. Safe to call more than once.
void InstallPrimeListAccessibility();

// Tells assistive technology that the current row of `view` changed (selection and focus).
void AnnounceCurrentRow(PrimeListView& view);

}  // namespace vodazi
