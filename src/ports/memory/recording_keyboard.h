#pragma once
// A Keyboard for tests: a US layout for letters, digits and blank, a Latin-1 to OEM 850 table
// for a few accented letters, and a record of every key event.
#include <cstdint>
#include <vector>

#include "ports/keyboard.h"

namespace tamber {

class RecordingKeyboard : public Keyboard {
  public:
    struct Event {
        std::uint8_t virtualKey;
        std::uint8_t scanCode;
        std::uint32_t flags;
        bool operator==(const Event&) const = default;
    };
    std::vector<Event> events;
    int failOnEvent = -1; // index of the KeyEvent call that throws, -1 none

    std::int16_t KeyForChar(unsigned char ansi) override;
    unsigned char OemChar(unsigned char ansi) override;
    std::uint32_t OemScanCode(unsigned char oem) override;
    void KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) override;

  private:
    int calls_ = 0;
};

} // namespace tamber
