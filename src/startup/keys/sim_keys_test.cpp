#include "startup/keys/sim_keys.h"

#include <gtest/gtest.h>

#include "common/scripted_dialogs.h"
#include "ports/memory/recording_keyboard.h"
#include "ports/platform.h"

namespace tamber {
namespace {

using Event = RecordingKeyboard::Event;
constexpr std::uint32_t kDown = 0, kUp = Keyboard::kKeyUp;
constexpr std::uint8_t kVkShift = 0x10;

class SimKeysTest : public ::testing::Test {
  protected:
    RecordingKeyboard keyboard;
    ScopedPlatform sys{{.keyboard = &keyboard}};
    ScriptedDialogs dialogs;
    ScopedDialogs scoped{dialogs};
};

TEST_F(SimKeysTest, OneCharacterIsOneKeyPressWithoutShift) {
    MySendKeys("a");
    EXPECT_EQ(keyboard.events, (std::vector<Event>{{'A', 0x1E, kDown}, {'A', 0x1E, kUp}}));
}

TEST_F(SimKeysTest, CharactersAreSentInOrderAsDownUpPairs) {
    MySendKeys("q1 ");
    EXPECT_EQ(keyboard.events, (std::vector<Event>{{'Q', 0x10, kDown},
                                                   {'Q', 0x10, kUp},
                                                   {'1', 0x02, kDown},
                                                   {'1', 0x02, kUp},
                                                   {' ', 0x39, kDown},
                                                   {' ', 0x39, kUp}}));
    keyboard.events.clear();
    MySendKeys("");
    EXPECT_TRUE(keyboard.events.empty());
}

// The shift state the layout asks for is dropped: an upper-case letter presses the same key
// as its lower-case one, and no Shift key event is made.
TEST_F(SimKeysTest, ShiftStateOfTheLayoutIsDropped) {
    MySendKeys("Zz");
    ASSERT_EQ(keyboard.events.size(), 4u);
    for (const Event& e : keyboard.events) {
        EXPECT_EQ(e.virtualKey, 'Z');
        EXPECT_EQ(e.scanCode, 0x2C);
        EXPECT_NE(e.virtualKey, kVkShift);
    }
}

TEST_F(SimKeysTest, ScanCodeComesFromTheOemCharacter) {
    SendAKey("\xE9t\xE9"); // only the first character counts
    // é has no key of its own in the test layout (255), but its OEM code 0x82 has a scan code.
    EXPECT_EQ(keyboard.events, (std::vector<Event>{{0xFF, 0x03, kDown}, {0xFF, 0x03, kUp}}));
}

TEST_F(SimKeysTest, ACharacterWithoutAKeyIsSentAsIs) {
    MySendKeys("~");
    EXPECT_EQ(keyboard.events, (std::vector<Event>{{0xFF, 0xFF, kDown}, {0xFF, 0xFF, kUp}}));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SimKeysTest, AFailedKeyIsReportedAndTheRestStillSent) {
    keyboard.failOnEvent = 1; // key-up of the first character
    MySendKeys("ab");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("in simKeysModule: Sub SendAKey - Line # 11"),
              std::string::npos)
        << dialogs.shown[0].prompt;
    EXPECT_EQ(keyboard.events,
              (std::vector<Event>{{'A', 0x1E, kDown}, {'B', 0x30, kDown}, {'B', 0x30, kUp}}));
}

TEST_F(SimKeysTest, NoKeyboardIsReported) {
    Sys().keyboard = nullptr;
    MySendKeys("a");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].prompt.find("Sub SendAKey"), std::string::npos);
}

} // namespace
} // namespace tamber
