#pragma once

#include "calc/UserNumberForm.h"

namespace vodazi {

// The user's numeric locale as the toolkit reads it (LC_NUMERIC, through QLocale::system()).
// The C locale writes numbers in the locale-independent form.
class QtNumericLocale : public NumericLocale {
  public:
    NumberForm UserForm() const override;
};

}  // namespace vodazi
