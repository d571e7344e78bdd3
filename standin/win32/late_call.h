#pragma once
// Late-bound automation calls as a VB client makes them: the member's name resolved with
// GetIDsOfNames, arguments passed last to first, method and property-get flags together.
// Used by actctl and the tests as clients of the stand-in.
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace tamber::standin {

struct Answer {
    HRESULT hr = E_FAIL;
    VARIANT value{};
    EXCEPINFO excep{};
    Answer() = default;
    Answer(const Answer&) = delete;
    Answer& operator=(const Answer&) = delete;
    ~Answer() {
        VariantClear(&value);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrHelpFile);
    }
    std::string Text() const {
        if (V_VT(&value) != VT_BSTR) return "<not text>";
        int n = WideCharToMultiByte(CP_ACP, 0, V_BSTR(&value), -1, nullptr, 0, nullptr, nullptr);
        std::string s(n > 0 ? n : 1, '\0');
        WideCharToMultiByte(CP_ACP, 0, V_BSTR(&value), -1, s.data(), n, nullptr, nullptr);
        s.pop_back();
        return s;
    }
    // The result as a Long, or -99999 when it is not a number.
    long Number() const {
        VARIANT v;
        VariantInit(&v);
        if (FAILED(VariantChangeType(&v, const_cast<VARIANT*>(&value), 0, VT_I4))) return -99999;
        return V_I4(&v);
    }
};

inline VARIANT Str(const std::string& s) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    V_BSTR(&v) = SysAllocStringLen(nullptr, n);
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), V_BSTR(&v), n);
    return v;
}
inline VARIANT I2(short n) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I2;
    V_I2(&v) = n;
    return v;
}
inline VARIANT I4(long n) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = n;
    return v;
}

// Calls a member by dispatch identifier; the arguments are consumed.
inline void InvokeId(IDispatch* d, DISPID id, std::vector<VARIANT> args, Answer& a) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    UINT argErr = 0;
    a.hr = d->Invoke(id, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, &a.value,
                     &a.excep, &argErr);
    for (auto& v : args)
        VariantClear(&v);
}

// Calls a member by name; the arguments are consumed.
inline void Call(IDispatch* d, const std::string& name, std::vector<VARIANT> args, Answer& a) {
    std::wstring w(name.begin(), name.end());
    LPOLESTR names[] = {w.data()};
    DISPID id = DISPID_UNKNOWN;
    a.hr = d->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    if (FAILED(a.hr)) {
        for (auto& v : args)
            VariantClear(&v);
        return;
    }
    InvokeId(d, id, std::move(args), a);
}

// A new object of a ProgID from its local server, or nullptr.
inline IDispatch* CreateByProgId(const char* progId) {
    std::wstring w(progId, progId + lstrlenA(progId));
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(w.c_str(), &clsid))) return nullptr;
    IDispatch* d = nullptr;
    CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                     reinterpret_cast<void**>(&d));
    return d;
}

} // namespace tamber::standin
