#pragma once
// VARIANTs, BSTRs and COM errors as VB sees them: its conversion functions and the run-time
// errors it raises for failed calls. Internal to the automation client.
#include <windows.h>

#include <oleauto.h>

#include <cstdint>
#include <string>
#include <utility>

#include "common/vb_error.h"

namespace tamber::act::win32 {

// Owns one COM reference.
template <class T> class ComPtr {
  public:
    ComPtr() = default;
    explicit ComPtr(T* p) : p_(p) {} // adopts a reference
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComPtr() {
        if (p_) p_->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** out() { return &p_; }
    explicit operator bool() const { return p_ != nullptr; }

  private:
    T* p_ = nullptr;
};

// Text in the ANSI code page to and from OLE's wide strings.
BSTR ToBstr(const std::string& s);
std::string FromBstr(BSTR b);
std::wstring Wide(const char* s);

// The run-time error VB raises for a failed call or conversion; for DISP_E_EXCEPTION the
// server's EXCEPINFO (whose strings this frees).
VbError FromHresult(HRESULT hr);
VbError FromExcepInfo(EXCEPINFO& e);

// A 16-bit variable passed by reference, as VB passes an Integer variable to a late-bound
// call; the variable must outlive the call.
struct ByRef {
    int16_t& var;
};

class Variant {
  public:
    Variant() { VariantInit(&v_); }
    explicit Variant(int16_t x) : Variant() {
        v_.vt = VT_I2;
        v_.iVal = x;
    }
    explicit Variant(int32_t x) : Variant() {
        v_.vt = VT_I4;
        v_.lVal = x;
    }
    explicit Variant(ByRef r) : Variant() {
        v_.vt = VT_I2 | VT_BYREF;
        v_.piVal = &r.var;
    }
    explicit Variant(const std::string& s) : Variant() {
        v_.bstrVal = ToBstr(s);
        v_.vt = VT_BSTR;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    Variant(Variant&& o) noexcept : v_(o.v_) { VariantInit(&o.v_); }
    ~Variant() { VariantClear(&v_); }
    VARIANT* get() { return &v_; }
    const VARIANT& operator*() const { return v_; }

    // VB's conversion functions: CInt, CLng, CBool, CStr.
    int16_t Short() const { return (*Changed(VT_I2)).iVal; }
    int32_t Long() const { return (*Changed(VT_I4)).lVal; }
    bool Bool() const { return (*Changed(VT_BOOL)).boolVal != VARIANT_FALSE; }
    std::string Text() const { return FromBstr((*Changed(VT_BSTR)).bstrVal); }

  private:
    Variant Changed(VARTYPE vt) const {
        if (v_.vt == VT_NULL) throw VbError(94, "Invalid use of Null");
        Variant out;
        HRESULT hr = VariantChangeType(out.get(), const_cast<VARIANT*>(&v_), VARIANT_ALPHABOOL, vt);
        if (FAILED(hr)) throw FromHresult(hr);
        return out;
    }
    VARIANT v_;
};

} // namespace tamber::act::win32
