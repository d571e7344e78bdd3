#pragma once
// The benchmark's list: n random item lines of a typical length, in no order.
#include <random>
#include <string>

namespace tamber::bench {

inline std::string RandomListText(int n, unsigned seed = 42) {
    static const std::string letters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ\xE9\xC9";
    std::mt19937 rng(seed);
    std::string text;
    for (int i = 0; i < n; ++i) {
        int len = 6 + static_cast<int>(rng() % 20);
        for (int c = 0; c < len; ++c)
            text += letters[rng() % letters.size()];
        text += "\r\n";
    }
    return text;
}

} // namespace tamber::bench
