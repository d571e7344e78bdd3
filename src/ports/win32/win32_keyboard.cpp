#include "ports/win32/win32_keyboard.h"

#include <windows.h>

namespace tamber {
namespace {

class Win32KeyboardImpl : public Keyboard {
  public:
    std::int16_t KeyForChar(unsigned char ansi) override {
        return VkKeyScanA(static_cast<CHAR>(ansi));
    }

    unsigned char OemChar(unsigned char ansi) override {
        char in[2] = {static_cast<char>(ansi), 0};
        char out[2] = {0, 0};
        CharToOemA(in, out);
        return static_cast<unsigned char>(out[0]);
    }

    std::uint32_t OemScanCode(unsigned char oem) override { return OemKeyScan(oem); }

    void KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) override {
        keybd_event(virtualKey, scanCode, flags, 0);
    }
};

} // namespace

Keyboard& Win32Keyboard() {
    static Win32KeyboardImpl keyboard;
    return keyboard;
}

} // namespace tamber
