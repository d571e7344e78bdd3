#pragma once
// Synthetic keystrokes, delivered to whichever window has the keyboard focus as if typed.
#include <cstdint>

namespace tamber {

class Keyboard {
  public:
    virtual ~Keyboard() = default;

    // Virtual-key code (low byte) and needed shift state (high byte) of an ANSI character on
    // the current keyboard layout; -1 (both bytes 0xFF) when no key produces it.
    virtual std::int16_t KeyForChar(unsigned char ansi) = 0;

    // The character converted from the ANSI to the OEM code page.
    virtual unsigned char OemChar(unsigned char ansi) = 0;

    // Scan code (low word) and shift state (high word) of an OEM character; 0xFFFFFFFF when
    // no key produces it.
    virtual std::uint32_t OemScanCode(unsigned char oem) = 0;

    // Queues one key event. flags: 0 key down, kKeyUp key up.
    static constexpr std::uint32_t kKeyUp = 2;
    virtual void KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) = 0;
};

} // namespace tamber
