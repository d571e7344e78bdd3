#pragma once
// The stand-in's own control channel, apart from the automation interface: a second start
// hands over a database path, and actctl sends test commands. Both travel as WM_COPYDATA to
// the record window, found by its class name. The reply to an actctl command comes back as
// WM_COPYDATA to the window named in wParam before SendMessage returns.
#include <windows.h>

#include <string>
#include <vector>

namespace tamber::standin {

inline constexpr const char* kMainClass = "TamberActStandinMain";
inline constexpr ULONG_PTR kOpenTag = 0x4E45504F;    // "OPEN": payload is a database path
inline constexpr ULONG_PTR kCommandTag = 0x4C544341; // "ACTL": fields separated by '\x1f'
inline constexpr ULONG_PTR kReplyTag = 0x594C5052;   // "RPLY": the reply text
inline constexpr char kFieldSeparator = '\x1f';

inline std::string JoinFields(const std::vector<std::string>& fields) {
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) out += kFieldSeparator;
        out += fields[i];
    }
    return out;
}

inline std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> out(1);
    for (char c : text) {
        if (c == kFieldSeparator)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

inline LRESULT SendText(HWND to, HWND from, ULONG_PTR tag, const std::string& text) {
    COPYDATASTRUCT cds{tag, static_cast<DWORD>(text.size()), const_cast<char*>(text.data())};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                             reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 30000, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

} // namespace tamber::standin
