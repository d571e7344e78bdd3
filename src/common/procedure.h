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
#include <source_location>
#include <string_view>
#include <type_traits>
#include <utility>

#include "common/error_report.h"

namespace tamber {

class Statement {
  public:
    explicit Statement(std::uint_least32_t base) : base_(base) {}
    void operator()(std::source_location here = std::source_location::current()) {
        line_ = static_cast<int>(here.line() - base_);
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
         std::source_location here = std::source_location::current()) {
    detail::RunSub(module, procedure, std::forward<F>(body), here.line(), nullptr);
}
template <class F>
void Sub(std::string_view module, std::string_view procedure, ReportGuard& guard, F&& body,
         std::source_location here = std::source_location::current()) {
    detail::RunSub(module, procedure, std::forward<F>(body), here.line(), &guard);
}

// A procedure with a result: the body's, or the type's default after an error.
template <class F, class R = std::invoke_result_t<F, Statement&>>
R Function(std::string_view module, std::string_view procedure, F&& body,
           std::source_location here = std::source_location::current()) {
    return detail::RunFunction(module, procedure, std::forward<F>(body), here.line(),
                               [] { return R{}; });
}

// The same with another result after an error.
template <class F, class R>
R Function(std::string_view module, std::string_view procedure, F&& body, R fallback,
           std::source_location here = std::source_location::current()) {
    return detail::RunFunction(module, procedure, std::forward<F>(body), here.line(),
                               [&] { return std::move(fallback); });
}

} // namespace tamber
