#pragma once
// The platform's list order: the comparison a sorted list box makes, in the user's locale.
#include <windows.h>

#include "ports/list_order.h"

namespace tamber {

class Win32ListOrder : public ListOrder {
  public:
    // A new list box takes the user's default locale.
    explicit Win32ListOrder(LCID locale = GetUserDefaultLCID()) : locale_(locale) {}
    int Compare(std::string_view a, std::string_view b) const override;

  private:
    LCID locale_;
};

} // namespace tamber
