#pragma once
// Text order of sorted list and combo boxes: the installed ListOrder (the platform's, in the
// programs), else a fixed table, the platform's case-insensitive word sort for the ANSI
// (Western) code page in a Western locale. Symbols sort before digits, digits before letters,
// accented letters with their base letter, the ligatures ae and oe as their two letters; hyphens
// and apostrophes count only when all else is equal. Case follows the one code page table
// (common/ansi_letter_case.h).
#include <string_view>

#include "ports/list_order.h"

namespace tamber::forms {

// <0, 0 or >0 as a sorts before, with or after b, in the installed order.
int CompareListText(std::string_view a, std::string_view b);

// The fixed table's order, whatever is installed.
int CompareByTable(std::string_view a, std::string_view b);

// Installs the order of every sorted list for the process; nullptr puts back the table.
// The order must outlive its use.
void SetListOrder(const ListOrder* order);

// Installs an order for one scope and puts back the one before.
class ScopedListOrder {
  public:
    explicit ScopedListOrder(const ListOrder& order);
    ~ScopedListOrder();
    ScopedListOrder(const ScopedListOrder&) = delete;
    ScopedListOrder& operator=(const ScopedListOrder&) = delete;

  private:
    const ListOrder* saved_;
};

// Whether text starts with prefix, ignoring case (type-ahead and FindString matching).
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EqualsNoCase(std::string_view a, std::string_view b);

} // namespace tamber::forms
