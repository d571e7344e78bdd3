#pragma once
// The order a sorted list or combo box keeps its entries in. The platform's follows the
// user's locale (a Swedish user finds "Åsa" after "Zulu"); every sorted list, and the lists
// the builders sort before they save them, must agree with it, or positions and type-ahead
// would disagree with what the box shows.
#include <string_view>

namespace tamber {

class ListOrder {
  public:
    virtual ~ListOrder() = default;
    // <0, 0 or >0 as a sorts before, with or after b; case is ignored. Text is in the ANSI
    // code page.
    virtual int Compare(std::string_view a, std::string_view b) const = 0;
};

} // namespace tamber
