#pragma once
// The clock list type-ahead runs on: characters typed within the interval of each other make
// one search text, as the platform's list box gathers them.
#include <cstdint>

namespace tamber {

class TypingTime {
  public:
    virtual ~TypingTime() = default;
    // Milliseconds from an arbitrary start, never going back.
    virtual std::int64_t NowMs() = 0;
    // The longest pause between two characters of one search text: the double-click time.
    virtual std::int64_t IntervalMs() = 0;
};

} // namespace tamber
