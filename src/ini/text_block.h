#pragma once
// Bytes allocated once and shared rather than copied: a batch formats a long run of lines
// into one, and the parsed file keeps it as its storage; the batch keeps it too until its
// commit succeeds, for a retry.
#include <cstddef>
#include <memory>

namespace tamber::ini {

struct TextBlock {
    explicit TextBlock(std::size_t n = 0) : bytes(n ? new char[n] : nullptr), size(n) {}
    std::shared_ptr<char[]> bytes; // not zeroed
    std::size_t size = 0;          // allocated
};

} // namespace tamber::ini
