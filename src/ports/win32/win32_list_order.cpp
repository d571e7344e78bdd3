#include "ports/win32/win32_list_order.h"

#include <string>

namespace tamber {
namespace {

// A list box holds its entries as wide text; entries of a few dozen characters convert on
// the stack.
class Wide {
  public:
    explicit Wide(std::string_view text) {
        const int n = static_cast<int>(text.size());
        if (n == 0) return;
        length_ = MultiByteToWideChar(CP_ACP, 0, text.data(), n, small_, kSmall);
        if (length_ == 0) {
            large_.resize(static_cast<std::size_t>(n));
            length_ = MultiByteToWideChar(CP_ACP, 0, text.data(), n, large_.data(), n);
            data_ = large_.data();
        }
    }
    const wchar_t* data() const { return data_; }
    int size() const { return length_; }

  private:
    static constexpr int kSmall = 128;
    wchar_t small_[kSmall];
    std::wstring large_;
    const wchar_t* data_ = small_;
    int length_ = 0;
};

} // namespace

int Win32ListOrder::Compare(std::string_view a, std::string_view b) const {
    const Wide x(a), y(b);
    // The list box's own comparison: case ignored, nothing else.
    const int r = CompareStringW(locale_, NORM_IGNORECASE, x.data(), x.size(), y.data(), y.size());
    return r == 0 ? 0 : r - CSTR_EQUAL;
}

} // namespace tamber
