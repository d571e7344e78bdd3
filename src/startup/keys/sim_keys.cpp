#include "startup/keys/sim_keys.h"

#include "common/error_report.h"
#include "ports/keyboard.h"
#include "ports/platform.h"

namespace tamber {
namespace {

constexpr char kModule[] = "simKeysModule";

Keyboard& Port() {
    if (!Sys().keyboard) throw VbError(err::kObjectRequired, "Object required");
    return *Sys().keyboard;
}

} // namespace

void MySendKeys(const std::string& text) {
    try {
        for (std::size_t i = 0; i < text.size(); ++i)
            SendAKey(text.substr(i));
    } catch (...) {
        ReportError(kModule, "Sub", "MySendKeys", 1);
    }
}

void SendAKey(const std::string& text) {
    int line = 0;
    try {
        if (text.empty()) return;
        line = 1;
        Keyboard& keyboard = Port();
        const auto c = static_cast<unsigned char>(text[0]);
        const auto virtualKey = static_cast<std::uint8_t>(keyboard.KeyForChar(c) & 0xFF);
        line = 2;
        const unsigned char oem = keyboard.OemChar(c);
        const auto scanCode = static_cast<std::uint8_t>(keyboard.OemScanCode(oem) & 0xFF);
        line = 3;
        keyboard.KeyEvent(virtualKey, scanCode, 0);
        line = 4;
        keyboard.KeyEvent(virtualKey, scanCode, Keyboard::kKeyUp);
    } catch (...) {
        ReportError(kModule, "Sub", "SendAKey", line);
    }
}

} // namespace tamber
