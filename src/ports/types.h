#pragma once
// Value types shared by the ports and the code above them.
#include <cstdint>

namespace tamber {

// Screen rectangle in pixels: left, top, right, bottom.
struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};

// Window handles are carried as integers, as the system stores them in the registry.
using WindowHandle = std::uintptr_t;
using ThreadId = std::uint32_t;

} // namespace tamber
