#include "controls/virtuallist/virtual_list.h"

namespace tamber {

std::string UVirtualList::ItemText(int i, bool selected) {
    std::string text = List(i);
    if (onItemInfoCallback) onItemInfoCallback(i, text, selected ? 1 : 0);
    return text;
}

long UVirtualList::WholeEntryHeight(long height) const {
    const long item = ItemHeightTwips();
    if (height <= 0 || item <= 0) return height < 0 ? 0 : height;
    const long whole = height / item * item;
    return whole > 0 ? whole : item;
}

void UVirtualList::Move(long left, long top, long width, long height) {
    forms::ListBox::Move(left, top, width, WholeEntryHeight(height));
}

} // namespace tamber
