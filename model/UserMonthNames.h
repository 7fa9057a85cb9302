#pragma once
// The month names of the user's language, for dated destinations ("{modified:MMMM}").

#include "model/PathTemplate.h"

namespace kw {

// Read once per process from the user's locale; English names where Windows gives none.
const MonthNames& UserMonthNames();

}  // namespace kw
