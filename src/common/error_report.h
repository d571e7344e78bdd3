#pragma once
// The standard message for an unexpected run-time error, shown by every procedure's handler.
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "common/vb_error.h"

namespace tamber {

inline constexpr std::string_view kSupportAddress = "support@tamberlist.com";

// "Error N: 'description'" CRLF "in Module: Sub Proc - Line # n" CRLF CRLF "Please contact ...".
// A window that speaks another language gives its own closing sentence.
std::string StandardErrorText(long number, std::string_view description, std::string_view module,
                              std::string_view kind, std::string_view procedure, int line,
                              std::optional<std::string_view> closing = std::nullopt);

// Turns whatever a procedure threw into the run-time error VB would have raised.
VbError ToVbError(std::exception_ptr error);

// Errors that mean ACT! itself is gone (ended, crashed, unreachable): any call after one
// fails the same way.
bool IsActGone(long number);

// Shows the standard message (OK only, caption "<title> error") through AppDialogs().
// Once ACT! is gone, that is said once: every procedure on the way out meets it again.
// kind is "Sub" or "Function". Call from a catch block: ReportError(module, kind, proc, line).
void ReportError(std::string_view module, std::string_view kind, std::string_view procedure,
                 int line);
void ReportError(const VbError& error, std::string_view module, std::string_view kind,
                 std::string_view procedure, int line);

// Forgets that ACT! was said to be gone (a test's fresh start).
void ResetReportedFailures();

} // namespace tamber
