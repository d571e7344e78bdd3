#include "startup/keys/sim_keys.h"

#include "common/procedure.h"
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
    Sub(kModule, "MySendKeys", [&](Statement&) {
        for (std::size_t i = 0; i < text.size(); ++i)
            SendAKey(text.substr(i));
    });
}

void SendAKey(const std::string& text) {
    Sub(kModule, "SendAKey", [&](Statement& at) {
        if (text.empty()) return;
        Keyboard& keyboard = Port();
        const auto c = static_cast<unsigned char>(text[0]);
        at();
        const auto virtualKey = static_cast<std::uint8_t>(keyboard.KeyForChar(c) & 0xFF);
        at();
        const unsigned char oem = keyboard.OemChar(c);
        const auto scanCode = static_cast<std::uint8_t>(keyboard.OemScanCode(oem) & 0xFF);
        at();
        keyboard.KeyEvent(virtualKey, scanCode, 0);
        at();
        keyboard.KeyEvent(virtualKey, scanCode, Keyboard::kKeyUp);
    });
}

} // namespace tamber
