#include "win32/com_server.h"

#include <ocidl.h>
#include <olectl.h>

#include <map>
#include <vector>

namespace tamber::standin {

const CLSID kClsidApp = {
    0x36cbaca4, 0xfb9e, 0x49f8, {0xab, 0xd2, 0xdf, 0xf1, 0x06, 0xf2, 0xae, 0xef}};
const CLSID kClsidDatabase = {
    0x1b9de6ab, 0xfd84, 0x47ea, {0x9c, 0x04, 0x59, 0xe0, 0x76, 0x4b, 0x9b, 0xe4}};
const CLSID kClsidAuxCmds = {
    0x2b57273e, 0x5b19, 0x40d4, {0xae, 0xa6, 0x6d, 0xb7, 0x01, 0xd3, 0xae, 0x2e}};
const CLSID kClsidEvent = {
    0x83ef373d, 0x0cc9, 0x4717, {0xb4, 0xa8, 0x0d, 0x28, 0xf2, 0x9d, 0x10, 0x63}};
const IID kDiidEvents = {
    0x0a9de64f, 0x1baf, 0x445a, {0x8d, 0xa1, 0xb8, 0x51, 0x15, 0xff, 0xd6, 0x59}};

namespace {

Standin* g_standin = nullptr;

std::string Narrow(const wchar_t* w, int len = -1) {
    if (!w) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, w, len, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, w, len, s.data(), n, nullptr, nullptr);
    if (len < 0 && !s.empty()) s.pop_back(); // the terminator
    return s;
}

BSTR Wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    BSTR b = SysAllocStringLen(nullptr, n);
    if (b && n) MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), b, n);
    return b;
}

Value FromVariant(const VARIANT& in) {
    VARIANT v;
    VariantInit(&v);
    // By-reference arguments (VB passes variables ByRef) are read through their pointer.
    if (FAILED(VariantCopyInd(&v, const_cast<VARIANT*>(&in))))
        throw AutomationError{AutomationError::Kind::kTypeMismatch, 0, "Type mismatch"};
    Value out;
    switch (V_VT(&v)) {
    case VT_EMPTY:
        break;
    case VT_ERROR:
        break; // an omitted optional argument
    case VT_BOOL:
        out = V_BOOL(&v) != VARIANT_FALSE;
        break;
    case VT_I2:
        out = Short{V_I2(&v)};
        break;
    case VT_UI1:
        out = static_cast<long>(V_UI1(&v));
        break;
    case VT_I4:
        out = static_cast<long>(V_I4(&v));
        break;
    case VT_INT:
        out = static_cast<long>(V_INT(&v));
        break;
    case VT_BSTR:
        out = Narrow(V_BSTR(&v), static_cast<int>(SysStringLen(V_BSTR(&v))));
        break;
    default: {
        VARIANT n;
        VariantInit(&n);
        HRESULT hr = VariantChangeType(&n, &v, 0, VT_I4);
        VariantClear(&v);
        if (FAILED(hr))
            throw AutomationError{AutomationError::Kind::kTypeMismatch, 0, "Type mismatch"};
        return static_cast<long>(V_I4(&n));
    }
    }
    VariantClear(&v);
    return out;
}

// Reference counting of the heap objects handed to clients: each deletes itself at zero.
class Counted {
  public:
    virtual ~Counted() = default;

  protected:
    ULONG Up() { return InterlockedIncrement(&refs_); }
    ULONG Down() {
        ULONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }

  private:
    LONG refs_ = 0;
};

// Every sink advised on any event control, by cookie.
std::map<DWORD, IDispatch*> g_sinks;
DWORD g_nextCookie = 1;

class DispObject : public IDispatch, public IConnectionPointContainer, Counted {
  public:
    explicit DispObject(std::shared_ptr<AutoObject> object) : object_(std::move(object)) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch)
            *ppv = static_cast<IDispatch*>(this);
        else if (riid == IID_IConnectionPointContainer && object_->kind() == ObjKind::kEvent)
            *ppv = static_cast<IConnectionPointContainer*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return Up(); }
    STDMETHODIMP_(ULONG) Release() override { return Down(); }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }

    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids) return E_POINTER;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            // Only the member name is known; named parameters are not.
            ids[i] = i == 0 ? LookupDispId(object_->kind(), Narrow(names[0])) : DISPID_UNKNOWN;
            if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }

    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

  private:
    std::shared_ptr<AutoObject> object_;
};

class EventPoint : public IConnectionPoint, Counted {
  public:
    explicit EventPoint(DispObject* owner) : owner_(owner) { owner_->AddRef(); }
    ~EventPoint() override { owner_->Release(); }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IConnectionPoint) return E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return Up(); }
    STDMETHODIMP_(ULONG) Release() override { return Down(); }
    STDMETHODIMP GetConnectionInterface(IID* iid) override {
        if (!iid) return E_POINTER;
        *iid = kDiidEvents;
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** c) override {
        if (!c) return E_POINTER;
        return owner_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(c));
    }
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) return E_POINTER;
        IDispatch* disp = nullptr;
        // The sink implements the notifications as a dispinterface; a plain IDispatch serves.
        if (FAILED(sink->QueryInterface(kDiidEvents, reinterpret_cast<void**>(&disp))) &&
            FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&disp))))
            return CONNECT_E_CANNOTCONNECT;
        *cookie = g_nextCookie++;
        g_sinks[*cookie] = disp;
        if (g_standin) g_standin->JournalNote("ActEvent advise " + std::to_string(*cookie));
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override {
        auto it = g_sinks.find(cookie);
        if (it == g_sinks.end()) return CONNECT_E_NOCONNECTION;
        IDispatch* disp = it->second;
        g_sinks.erase(it);
        disp->Release();
        if (g_standin) g_standin->JournalNote("ActEvent unadvise " + std::to_string(cookie));
        return S_OK;
    }
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

  private:
    DispObject* owner_;
};

HRESULT DispObject::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (riid != kDiidEvents && riid != IID_IDispatch) return CONNECT_E_NOCONNECTION;
    *point = new EventPoint(this);
    (*point)->AddRef();
    return S_OK;
}

void ToVariant(const Value& value, VARIANT* out) {
    VariantInit(out);
    if (auto* b = std::get_if<bool>(&value)) {
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = *b ? VARIANT_TRUE : VARIANT_FALSE;
    } else if (auto* s = std::get_if<Short>(&value)) {
        V_VT(out) = VT_I2;
        V_I2(out) = s->v;
    } else if (auto* l = std::get_if<long>(&value)) {
        V_VT(out) = VT_I4;
        V_I4(out) = *l;
    } else if (auto* t = std::get_if<std::string>(&value)) {
        V_VT(out) = VT_BSTR;
        V_BSTR(out) = Wide(*t);
    } else if (auto* o = std::get_if<std::shared_ptr<AutoObject>>(&value)) {
        V_VT(out) = VT_DISPATCH;
        V_DISPATCH(out) = new DispObject(*o);
        V_DISPATCH(out)->AddRef();
    }
}

HRESULT DispObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
    if (params && params->cNamedArgs) return DISP_E_NONAMEDARGS;
    if (!g_standin) return E_UNEXPECTED;
    Args args;
    UINT n = params ? params->cArgs : 0;
    try {
        // DISPPARAMS hold the arguments last to first.
        for (UINT i = 0; i < n; ++i) {
            try {
                args.push_back(FromVariant(params->rgvarg[n - 1 - i]));
            } catch (const AutomationError&) {
                if (argErr) *argErr = n - 1 - i;
                throw;
            }
        }
        Value value = g_standin->Invoke(*object_, id, args);
        if (result) ToVariant(value, result);
        return S_OK;
    } catch (const AutomationError& e) {
        switch (e.kind) {
        case AutomationError::Kind::kBadParamCount:
            return DISP_E_BADPARAMCOUNT;
        case AutomationError::Kind::kTypeMismatch:
            return DISP_E_TYPEMISMATCH;
        case AutomationError::Kind::kMemberNotFound:
            return DISP_E_MEMBERNOTFOUND;
        case AutomationError::Kind::kException:
            break;
        }
        if (excep) {
            ZeroMemory(excep, sizeof *excep);
            excep->bstrSource = Wide("ACT!");
            excep->bstrDescription = Wide(e.description);
            excep->scode = static_cast<SCODE>(e.scode);
        }
        return DISP_E_EXCEPTION;
    }
}

class Factory : public IClassFactory {
  public:
    explicit Factory(ObjKind kind) : kind_(kind) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
        *ppv = this;
        return S_OK;
    }
    // Static lifetime: the factories live as long as the process.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (!g_standin) return E_UNEXPECTED;
        std::shared_ptr<AutoObject> object;
        switch (kind_) {
        case ObjKind::kApp:
            object = g_standin->CreateApp();
            break;
        case ObjKind::kDatabase:
            object = g_standin->CreateDatabase();
            break;
        case ObjKind::kAuxCmds:
            object = g_standin->CreateAuxCmds();
            break;
        default:
            object = g_standin->CreateEventControl();
            break;
        }
        g_standin->JournalNote("create " + std::string(KindName(kind_)));
        auto* d = new DispObject(object);
        d->AddRef();
        HRESULT hr = d->QueryInterface(riid, ppv);
        d->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

  private:
    ObjKind kind_;
};

Factory g_factories[] = {Factory(ObjKind::kApp), Factory(ObjKind::kDatabase),
                         Factory(ObjKind::kAuxCmds), Factory(ObjKind::kEvent)};
const CLSID* const g_clsids[] = {&kClsidApp, &kClsidDatabase, &kClsidAuxCmds, &kClsidEvent};
const char* const g_progIds[] = {"ACTOLE.APPOBJECT", "ACTOLE.DATABASE", "ACTOLE.AUXCMDS",
                                 "ACTEVENTLib.ActEvent"};
DWORD g_registrations[4] = {};

std::string GuidText(const GUID& g) {
    wchar_t buf[64];
    StringFromGUID2(g, buf, 64);
    return Narrow(buf);
}

bool SetKey(const std::string& path, const char* name, const std::string& value) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

constexpr const char* kFileType = "ActStandin.Database";

} // namespace

bool RegisterClassObjects(Standin& standin) {
    g_standin = &standin;
    for (int i = 0; i < 4; ++i)
        if (FAILED(CoRegisterClassObject(*g_clsids[i], &g_factories[i], CLSCTX_LOCAL_SERVER,
                                         REGCLS_MULTIPLEUSE, &g_registrations[i])))
            return false;
    return true;
}

void RevokeClassObjects() {
    for (DWORD& r : g_registrations)
        if (r) {
            CoRevokeClassObject(r);
            r = 0;
        }
    for (auto& [cookie, sink] : g_sinks)
        sink->Release();
    g_sinks.clear();
}

void FireEvent(long dispId) {
    // Copied first: a sink may unadvise, or call back in, while it is being told.
    std::vector<std::pair<DWORD, IDispatch*>> sinks(g_sinks.begin(), g_sinks.end());
    for (auto& [cookie, sink] : sinks)
        sink->AddRef();
    for (auto& [cookie, sink] : sinks) {
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        HRESULT hr =
            sink->Invoke(dispId, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
        if (g_standin)
            g_standin->JournalNote("ActEvent notify " + std::to_string(dispId) + " sink " +
                                   std::to_string(cookie) + (SUCCEEDED(hr) ? " ok" : " failed"));
        if (hr == RPC_E_DISCONNECTED || hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
            hr == RPC_E_SERVER_DIED || hr == RPC_E_SERVER_DIED_DNE) {
            auto it = g_sinks.find(cookie);
            if (it != g_sinks.end()) {
                it->second->Release();
                g_sinks.erase(it);
            }
        }
        sink->Release();
    }
}

size_t SinkCount() {
    return g_sinks.size();
}

bool RegisterServer(const std::string& exe) {
    bool ok = true;
    const char* names[] = {"ACT! application", "ACT! database", "ACT! auxiliary commands",
                           "ACT! event control"};
    for (int i = 0; i < 4; ++i) {
        std::string clsid = GuidText(*g_clsids[i]);
        ok &= SetKey("CLSID\\" + clsid, nullptr, names[i]);
        ok &= SetKey("CLSID\\" + clsid + "\\LocalServer32", nullptr, "\"" + exe + "\"");
        ok &= SetKey("CLSID\\" + clsid + "\\ProgID", nullptr, g_progIds[i]);
        ok &= SetKey(g_progIds[i], nullptr, names[i]);
        ok &= SetKey(std::string(g_progIds[i]) + "\\CLSID", nullptr, clsid);
    }
    ok &= SetKey(".dbf", nullptr, kFileType);
    ok &= SetKey(kFileType, nullptr, "ACT! database");
    ok &= SetKey(std::string(kFileType) + "\\shell\\open\\command", nullptr,
                 "\"" + exe + "\" \"%1\"");
    return ok;
}

void UnregisterServer() {
    for (int i = 0; i < 4; ++i) {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ("CLSID\\" + GuidText(*g_clsids[i])).c_str());
        RegDeleteTreeA(HKEY_CLASSES_ROOT, g_progIds[i]);
    }
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kFileType);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".dbf");
}

} // namespace tamber::standin
