#include "ports/memory/recording_keyboard.h"

#include <cstring>

#include "common/vb_error.h"

namespace tamber {
namespace {

constexpr std::int16_t kShift = 0x100;
constexpr unsigned kNoKey = 0xFFFFFFFF;

// Scan codes of the US keyboard's letter rows, in the order of the rows.
constexpr const char* kRows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
constexpr unsigned kRowStart[] = {0x10, 0x1E, 0x2C};

// Latin-1 letters and their OEM 850 codes.
constexpr unsigned char kAnsi[] = {0xE9, 0xE8, 0xFC, 0xC9};
constexpr unsigned char kOem[] = {0x82, 0x8A, 0x81, 0x90};

bool IsLower(unsigned char c) {
    return c >= 'a' && c <= 'z';
}
bool IsUpper(unsigned char c) {
    return c >= 'A' && c <= 'Z';
}

} // namespace

std::int16_t RecordingKeyboard::KeyForChar(unsigned char ansi) {
    if (IsLower(ansi)) return static_cast<std::int16_t>(ansi - 'a' + 'A');
    if (IsUpper(ansi)) return static_cast<std::int16_t>(kShift | ansi);
    if ((ansi >= '0' && ansi <= '9') || ansi == ' ') return ansi;
    return -1;
}

unsigned char RecordingKeyboard::OemChar(unsigned char ansi) {
    if (ansi < 0x80) return ansi;
    for (std::size_t i = 0; i < sizeof kAnsi; ++i)
        if (kAnsi[i] == ansi) return kOem[i];
    return '?';
}

std::uint32_t RecordingKeyboard::OemScanCode(unsigned char oem) {
    const unsigned char lower = IsUpper(oem) ? static_cast<unsigned char>(oem - 'A' + 'a') : oem;
    const std::uint32_t shift = IsUpper(oem) ? 0x10000 : 0;
    for (int row = 0; row < 3; ++row)
        if (lower != 0)
            if (const char* at = std::strchr(kRows[row], lower))
                return shift | (kRowStart[row] + static_cast<unsigned>(at - kRows[row]));
    if (oem >= '1' && oem <= '9') return 0x02u + (oem - '1');
    if (oem == '0') return 0x0B;
    if (oem == ' ') return 0x39;
    if (oem == 0x82) // é sits on the 2 key of a French layout
        return 0x03;
    return kNoKey;
}

void RecordingKeyboard::KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode,
                                 std::uint32_t flags) {
    if (calls_++ == failOnEvent)
        throw VbError(err::kInvalidProcedureCall, "Invalid procedure call or argument");
    events.push_back({virtualKey, scanCode, flags});
}

} // namespace tamber
