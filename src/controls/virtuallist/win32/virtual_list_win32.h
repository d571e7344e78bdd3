#pragma once
// Makes the Win32 renderer realise UVirtualList as an owner-drawn, fixed-height, border-less
// list box with strings. Call once after the Win32Host is constructed.
namespace tamber {

void RegisterVirtualListRenderer();

} // namespace tamber
