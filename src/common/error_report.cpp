#include "common/error_report.h"

#include <cstdint>
#include <new>

#include "common/procedure.h"
#include "common/program_end.h"

#include "ports/dialogs.h"

namespace tamber {

std::string StandardErrorText(long number, std::string_view description, std::string_view module,
                              std::string_view kind, std::string_view procedure, int line,
                              std::optional<std::string_view> closing) {
    std::string text = "Error " + std::to_string(number) + ": '";
    text += description;
    text += "'\r\nin ";
    text += module;
    text += ": ";
    text += kind;
    text += " ";
    text += procedure;
    text += " - Line # " + std::to_string(line) + "\r\n\r\n";
    if (closing) {
        text += *closing;
        return text;
    }
    text += "Please contact ";
    text += kSupportAddress;
    text += " with this error message.";
    return text;
}

VbError ToVbError(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const VbError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return VbError(err::kOutOfMemory, "Out of memory");
    } catch (const std::out_of_range&) {
        return VbError(err::kSubscriptOutOfRange, "Subscript out of range");
    } catch (const std::exception& e) {
        return VbError(err::kInvalidProcedureCall, e.what());
    } catch (...) {
        return VbError(err::kInvalidProcedureCall, "Invalid procedure call or argument");
    }
}

namespace {
bool actGoneReported = false;
}

bool IsActGone(long number) {
    switch (number) {
    case 462:                               // the remote server machine does not exist
    case static_cast<int32_t>(0x800706BAu): // the RPC server is unavailable
    case static_cast<int32_t>(0x800706BEu): // the remote procedure call failed
    case static_cast<int32_t>(0x80010108u): // the object invoked has disconnected
    case static_cast<int32_t>(0x800401FDu): // the object is not connected to the server
        return true;
    default:
        return false;
    }
}

void ResetReportedFailures() {
    actGoneReported = false;
}

void ReportError(const VbError& error, std::string_view module, std::string_view kind,
                 std::string_view procedure, int line) {
    if (IsActGone(error.number())) {
        if (actGoneReported) return;
        actGoneReported = true;
    }
    AppDialogs().MsgBox(
        StandardErrorText(error.number(), error.description(), module, kind, procedure, line),
        mb::kOkOnly, AppTitle() + " error");
}

void ReportError(std::string_view module, std::string_view kind, std::string_view procedure,
                 int line) {
    // An End inside the procedure is not an error: let it reach the top.
    try {
        throw;
    } catch (const ProgramEnded&) {
        throw;
    } catch (...) {
    }
    ReportError(ToVbError(std::current_exception()), module, kind, procedure, line);
}

namespace detail {

void ReportInBoundary(std::string_view module, std::string_view kind, std::string_view procedure,
                      int line, ReportGuard* guard) {
    if (guard && guard->reporting) {
        try {
            throw;
        } catch (const ProgramEnded&) {
            throw;
        } catch (...) {
        }
        return;
    }
    struct Reset {
        ReportGuard* g;
        ~Reset() {
            if (g) g->reporting = false;
        }
    } reset{guard};
    if (guard) guard->reporting = true;
    ReportError(module, kind, procedure, line);
}

} // namespace detail
} // namespace tamber
