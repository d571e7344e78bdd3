#pragma once
// Bytes allocated once and handed on whole: a batch formats a long run of lines into one, and
// the parsed file keeps it as its storage instead of copying the lines again.
#include <cstddef>
#include <memory>

namespace tamber::ini {

struct TextBlock {
    std::unique_ptr<char[]> bytes; // not zeroed
    std::size_t size = 0;          // allocated
};

} // namespace tamber::ini
