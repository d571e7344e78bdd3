#pragma once
// UVirtualList: a single-selection list box whose entries are drawn by the control itself, the
// text of each asked from the owner (ItemInfoCallback) at the moment it is drawn. The owner can
// fill it with empty placeholders and supply texts only for the entries that come into view.
#include <functional>
#include <string>

#include "forms/runtime/forms.h"

namespace tamber {

class UVirtualList : public forms::ListBox {
  public:
    using forms::ListBox::ListBox;
    const char* Kind() const override { return "UVirtualList"; }

    // iItem: the entry; sText: its stored text, which the owner may replace; fState: 1 when
    // the entry is drawn selected, else 0.
    std::function<void(long iItem, std::string& sText, long fState)> onItemInfoCallback;

    // The text to draw for entry i: the stored text as the owner's callback leaves it.
    std::string ItemText(int i, bool selected);

    // The list box shows whole entries only: a height that cuts an entry is rounded down to
    // whole entries (at least one while the height is not 0), and the control takes that
    // height, so a later resize leaves it unchanged.
    void Move(long left, long top, long width, long height) override;
    long WholeEntryHeight(long height) const;
};

} // namespace tamber
