#pragma once
// The error boundary of an event procedure or procedure. An unexpected run-time error inside
// the body is shown with the standard message naming the module, "Sub" or "Function", the
// procedure and the failing statement's line, and the procedure returns its default result;
// the program's End always passes through.
//
//     void frmGauge::cmdCancel_Click() {
//         Sub("frmGauge", "cmdCancel_Click", [&](Statement& at) {
//             at();
//             settings_.SaveSetting(kApp, kSection, "Status", "Off");
//             at();
//             Unload();
//         });
//     }
//
// at() marks the statement that follows it. The line a message gives is the mark's line
// counted from the line that opens the boundary, so it is read off the source; a body that
// marks nothing reports line 1.
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <utility>

#include "common/error_report.h"

namespace tamber {

// The source line of a call, taken as a default argument. (std::source_location would do, but
// the clang of the sanitizer build does not have it.)
struct SourceLine {
    std::uint_least32_t value;
    explicit constexpr SourceLine(std::uint_least32_t line = __builtin_LINE()) : value(line) {}
};

class Statement {
  public:
    explicit Statement(std::uint_least32_t base) : base_(base) {}
    void operator()(SourceLine here = SourceLine()) {
        line_ = static_cast<int>(here.value - base_);
    }
    int line() const { return line_; }

  private:
    std::uint_least32_t base_;
    int line_ = 1;
};

// Set while a procedure's message is open; an error of the same procedure meanwhile (a timer
// firing under its own message box) is not reported a second time.
struct ReportGuard {
    bool reporting = false;
};

namespace detail {

// Reports the error being handled, unless guard says an earlier report is still open.
void ReportInBoundary(std::string_view module, std::string_view kind, std::string_view procedure,
                      int line, ReportGuard* guard);

template <class F>
void RunSub(std::string_view module, std::string_view procedure, F&& body, std::uint_least32_t base,
            ReportGuard* guard) {
    Statement at(base);
    try {
        std::forward<F>(body)(at);
    } catch (...) {
        ReportInBoundary(module, "Sub", procedure, at.line(), guard);
    }
}

template <class F, class Fallback>
auto RunFunction(std::string_view module, std::string_view procedure, F&& body,
                 std::uint_least32_t base, Fallback fallback) -> decltype(fallback()) {
    Statement at(base);
    try {
        return std::forward<F>(body)(at);
    } catch (...) {
        ReportInBoundary(module, "Function", procedure, at.line(), nullptr);
    }
    return fallback();
}

} // namespace detail

// A procedure without a result.
template <class F>
void Sub(std::string_view module, std::string_view procedure, F&& body,
         SourceLine here = SourceLine()) {
    detail::RunSub(module, procedure, std::forward<F>(body), here.value, nullptr);
}
template <class F>
void Sub(std::string_view module, std::string_view procedure, ReportGuard& guard, F&& body,
         SourceLine here = SourceLine()) {
    detail::RunSub(module, procedure, std::forward<F>(body), here.value, &guard);
}

// A procedure with a result: the body's, or the type's default after an error.
template <class F, class R = std::invoke_result_t<F, Statement&>>
R Function(std::string_view module, std::string_view procedure, F&& body,
           SourceLine here = SourceLine()) {
    return detail::RunFunction(module, procedure, std::forward<F>(body), here.value,
                               [] { return R{}; });
}

// The same with another result after an error.
template <class F, class R>
R Function(std::string_view module, std::string_view procedure, F&& body, R fallback,
           SourceLine here = SourceLine()) {
    return detail::RunFunction(module, procedure, std::forward<F>(body), here.value,
                               [&] { return std::move(fallback); });
}

} // namespace tamber
