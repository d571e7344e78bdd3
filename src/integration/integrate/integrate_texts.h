#pragma once
// The integration window's texts in its two languages.
#include <array>
#include <cstdint>
#include <string>

namespace tamber::integrate {

// Indexes of the text table.
enum Text {
    kSupportSentence = 0,
    kToolTipPrefix = 1,
    kRestartFirstLine = 2,
    kRestartSecondLine = 3,
    kAddFailed = 4,
    kCaption = 5,
    kFirstView = 6, // 6..11: the view labels
    kToolbarFrame = 12,
    kMenuFrame = 13,
    kCloseButton = 14,
    kCancelButton = 15,
    kRestartLabel = 16,
};

// 0 English, 1 French; any other language leaves every text empty.
std::array<std::string, 17> TextsFor(std::int16_t language);

} // namespace tamber::integrate
