#pragma once

namespace vodazi {

class PrimeListView;

// Makes every PrimeListView readable by assistive technology: a list whose children are the
// rows in view, each a list item with its number. Safe to call more than once.
void InstallPrimeListAccessibility();

// Tells assistive technology that the current row of `view` changed (selection and focus).
void AnnounceCurrentRow(PrimeListView& view);

}  // namespace vodazi
