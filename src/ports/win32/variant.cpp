#include "ports/win32/variant.h"

namespace tamber::act::win32 {
namespace {

std::string FromWide(const wchar_t* w, int len) {
    if (!w || len <= 0) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, w, len, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w, len, s.data(), n, nullptr, nullptr);
    return s;
}

long Signed(HRESULT hr) {
    return static_cast<long>(static_cast<int32_t>(hr));
}

// VB shows an error of the control facility by its own number (0x800A0005 is error 5).
long VbNumber(HRESULT hr) {
    return HRESULT_FACILITY(hr) == FACILITY_CONTROL ? static_cast<long>(hr & 0xFFFF) : Signed(hr);
}

std::string SystemText(HRESULT hr) {
    char* text = nullptr;
    DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string s = n && text ? std::string(text, n) : std::string();
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n'))
        s.pop_back();
    return s;
}

} // namespace

BSTR ToBstr(const std::string& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (!b) throw VbError(err::kOutOfMemory, "Out of memory");
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), b, n);
    return b;
}

std::string FromBstr(BSTR b) {
    return FromWide(b, static_cast<int>(SysStringLen(b)));
}

std::wstring Wide(const char* s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
    w.resize(w.size() - 1); // the terminating NUL
    return w;
}

// The run-time error VB raises for a failed call or conversion.
VbError FromHresult(HRESULT hr) {
    switch (hr) {
    case DISP_E_OVERFLOW:
        return VbError(err::kOverflow, "Overflow");
    case DISP_E_TYPEMISMATCH:
        return VbError(err::kTypeMismatch, "Type mismatch");
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME:
        return VbError(438, "Object doesn't support this property or method");
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_PARAMNOTOPTIONAL:
        return VbError(450, "Wrong number of arguments or invalid property assignment");
    case E_OUTOFMEMORY:
        return VbError(err::kOutOfMemory, "Out of memory");
    default:
        break;
    }
    std::string text = SystemText(hr);
    return VbError(VbNumber(hr), text.empty() ? "Automation error" : "Automation error\r\n" + text);
}

VbError FromExcepInfo(EXCEPINFO& e) {
    if (e.pfnDeferredFillIn) e.pfnDeferredFillIn(&e);
    std::string description = e.bstrDescription ? FromBstr(e.bstrDescription) : std::string();
    long number = e.scode ? VbNumber(e.scode) : static_cast<long>(e.wCode);
    SysFreeString(e.bstrSource);
    SysFreeString(e.bstrDescription);
    SysFreeString(e.bstrHelpFile);
    if (description.empty())
        return e.scode ? FromHresult(e.scode)
                       : VbError(number, "Application-defined or object-defined error");
    return VbError(number, description);
}

} // namespace tamber::act::win32
