#include "ports/win32/win32_act.h"

#include "ports/win32/variant.h"

#include <windows.h>

#include <ocidl.h>
#include <oleauto.h>

#include <array>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tamber::act {
namespace {

using win32::ComPtr;
using win32::FromExcepInfo;
using win32::FromHresult;
using win32::Variant;
using win32::Wide;

// One automation object, called late-bound by member name or dispatch identifier.
class Dispatch {
  public:
    explicit Dispatch(ComPtr<IDispatch> d) : d_(std::move(d)) {}

    template <class... A> Variant Call(const char* name, const A&... args) {
        return CallId(IdOf(name), args...);
    }

    template <class... A> Variant CallId(DISPID id, const A&... args) {
        std::array<Variant, sizeof...(A)> values{Variant(args)...};
        // DISPPARAMS lists the arguments last first.
        std::array<VARIANTARG, sizeof...(A) + 1> reversed{};
        for (std::size_t i = 0; i < values.size(); ++i)
            reversed[values.size() - 1 - i] = *values[i];
        DISPPARAMS params{values.empty() ? nullptr : reversed.data(), nullptr,
                          static_cast<UINT>(values.size()), 0};
        Variant result;
        EXCEPINFO info{};
        UINT badArg = 0;
        HRESULT hr =
            d_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                       &params, result.get(), &info, &badArg);
        if (hr == DISP_E_EXCEPTION) throw FromExcepInfo(info);
        if (FAILED(hr)) throw FromHresult(hr);
        return result;
    }

    IDispatch* get() const { return d_.get(); }

  private:
    DISPID IdOf(const char* name) {
        auto it = ids_.find(name);
        if (it != ids_.end()) return it->second;
        std::wstring w = Wide(name);
        LPOLESTR names[] = {w.data()};
        DISPID id = DISPID_UNKNOWN;
        HRESULT hr = d_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr)) throw FromHresult(hr);
        ids_.emplace(name, id);
        return id;
    }

    ComPtr<IDispatch> d_;
    std::map<std::string, DISPID, std::less<>> ids_;
};

using DispatchPtr = std::shared_ptr<Dispatch>;

// Set x = result: the object in the result, or VB's "Object required".
DispatchPtr ToObject(const Variant& v) {
    const VARIANT& x = *v;
    ComPtr<IDispatch> d;
    if (x.vt == VT_DISPATCH && x.pdispVal) {
        x.pdispVal->AddRef();
        d = ComPtr<IDispatch>(x.pdispVal);
    } else if (x.vt == VT_UNKNOWN && x.punkVal) {
        HRESULT hr = x.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(d.out()));
        if (FAILED(hr)) throw FromHresult(hr);
    } else {
        throw VbError(err::kObjectRequired, "Object required");
    }
    return std::make_shared<Dispatch>(std::move(d));
}

class Win32PopupInfo : public PopupInfo {
  public:
    explicit Win32PopupInfo(DispatchPtr d) : d_(std::move(d)) {}
    int16_t PopupCount() override { return d_->Call("PopupCount").Short(); }
    std::string value(int16_t index) override { return d_->Call("value", index).Text(); }

  private:
    DispatchPtr d_;
};

class Win32Fields : public Fields {
  public:
    explicit Win32Fields(DispatchPtr d) : d_(std::move(d)) {}
    int16_t Count() override { return d_->Call("Count").Short(); }
    int16_t ID(int16_t number) override { return d_->Call("ID", number).Short(); }
    int16_t ID(const std::string& fieldId) override { return d_->Call("ID", fieldId).Short(); }
    std::string Label(int16_t number) override { return d_->Call("Label", number).Text(); }
    std::string Label(const std::string& fieldId) override {
        return d_->Call("Label", fieldId).Text();
    }
    int16_t Type(const std::string& fieldId) override { return d_->Call("Type", fieldId).Short(); }
    bool HasPopupList(const std::string& fieldId) override {
        return d_->Call("HasPopupList", fieldId).Bool();
    }
    std::shared_ptr<PopupInfo> POPUPINFO(int16_t fieldId, int16_t flags) override {
        return std::make_shared<Win32PopupInfo>(ToObject(d_->Call("POPUPINFO", fieldId, flags)));
    }

  private:
    DispatchPtr d_;
};

class Win32Contact : public Contact {
  public:
    explicit Win32Contact(DispatchPtr d) : d_(std::move(d)) {}
    void GoTo(const std::string& contactId) override { d_->Call("GoTo", contactId); }
    std::string Data(int16_t field) override { return d_->Call("Data", field).Text(); }
    std::shared_ptr<act::Fields> Fields() override {
        return std::make_shared<Win32Fields>(ToObject(d_->Call("Fields")));
    }

  private:
    DispatchPtr d_;
};

class Win32Members : public MemberCursor {
  public:
    explicit Win32Members(DispatchPtr d) : d_(std::move(d)) {}
    void MoveFirst() override { d_->Call("MoveFirst"); }
    void MoveNext() override { d_->Call("MoveNext"); }
    bool isEOF() override { return d_->Call("isEOF").Bool(); }
    int32_t RecordCount() override { return d_->Call("RecordCount").Long(); }
    std::string Data(int16_t field) override { return d_->Call("Data", field).Text(); }

  private:
    DispatchPtr d_;
};

class Win32Group : public Group {
  public:
    explicit Win32Group(DispatchPtr d) : d_(std::move(d)) {}
    void MoveFirst() override { d_->Call("MoveFirst"); }
    void MoveNext() override { d_->Call("MoveNext"); }
    bool isEOF() override { return d_->Call("isEOF").Bool(); }
    void GoTo(const std::string& groupId) override { d_->Call("GoTo", groupId); }
    std::string Data(int16_t field) override { return d_->Call("Data", field).Text(); }
    std::string GetParent() override { return d_->Call("GetParent").Text(); }
    int16_t GroupType() override { return d_->Call("GroupType").Short(); }
    int32_t GetSubGroupCount() override { return d_->Call("GetSubGroupCount").Long(); }
    std::shared_ptr<MemberCursor> Members() override {
        return std::make_shared<Win32Members>(ToObject(d_->Call("Members")));
    }

  private:
    DispatchPtr d_;
};

class Win32Database : public Database {
  public:
    explicit Win32Database(DispatchPtr d) : d_(std::move(d)) {}
    void OpenEx(const std::string& path) override { d_->Call("OpenEx", path); }
    void Close() override { d_->Call("Close"); }
    std::shared_ptr<act::Contact> Contact() override {
        return std::make_shared<Win32Contact>(ToObject(d_->Call("Contact")));
    }
    std::shared_ptr<act::Group> Group() override {
        return std::make_shared<Win32Group>(ToObject(d_->Call("Group")));
    }

  private:
    DispatchPtr d_;
};

class Win32View : public View {
  public:
    explicit Win32View(DispatchPtr d) : d_(std::move(d)) {}
    int16_t CurrentFieldId() override { return d_->Call("CurrentFieldId").Short(); }
    std::string GetField(int16_t fieldId) override {
        return d_->Call("GetField", win32::ByRef{fieldId}).Text();
    }
    std::string GetField(const std::string& fieldId) override {
        return d_->Call("GetField", fieldId).Text();
    }
    void SetField(int16_t fieldId, const std::string& text) override {
        d_->Call("SetField", win32::ByRef{fieldId}, text);
    }
    void SetField(const std::string& fieldId, const std::string& text) override {
        d_->Call("SetField", fieldId, text);
    }

  private:
    DispatchPtr d_;
};

class Win32Views : public Views {
  public:
    explicit Win32Views(DispatchPtr d) : d_(std::move(d)) {}
    std::shared_ptr<View> Create(int16_t kind, const std::string& name) override {
        return std::make_shared<Win32View>(ToObject(d_->Call("Create", kind, name)));
    }

  private:
    DispatchPtr d_;
};

class Win32App : public App {
  public:
    explicit Win32App(DispatchPtr d) : d_(std::move(d)) {}
    std::shared_ptr<act::Views> Views() override {
        return std::make_shared<Win32Views>(ToObject(d_->Call("Views")));
    }
    std::string GetOpenDBName() override { return d_->Call("GetOpenDBName").Text(); }
    void Command(int16_t command) override { d_->Call("Command", command); }

  private:
    DispatchPtr d_;
};

class Win32AuxCommands : public AuxCommands {
  public:
    explicit Win32AuxCommands(DispatchPtr d) : d_(std::move(d)) {}
    int32_t AuxCommandExists(const std::string& name) override {
        return d_->Call("AuxCommandExists", name).Long();
    }
    int32_t AddAuxCommand(const std::string& name, const std::string& program,
                          const std::string& folder, const std::string& caption,
                          const std::string& toolTip, const std::string& icon,
                          const std::string& icon32, int16_t flags) override {
        return d_
            ->Call("AddAuxCommand", name, program, folder, caption, toolTip, icon, icon32, flags)
            .Long();
    }
    int16_t AuxCommandExistsInToolbar(int16_t view, const std::string& name) override {
        return d_->Call("AuxCommandExistsInToolbar", view, name).Short();
    }
    int16_t AuxCommandExistsInToolsMenu(int16_t view, const std::string& name) override {
        return d_->Call("AuxCommandExistsInToolsMenu", view, name).Short();
    }
    int32_t AddAuxCommandToToolbar(int16_t view, const std::string& name) override {
        return d_->Call("AddAuxCommandToToolbar", view, name).Long();
    }
    int32_t AddAuxCommandToToolsMenu(int16_t view, const std::string& name) override {
        return d_->Call("AddAuxCommandToToolsMenu", view, name).Long();
    }
    int32_t RemoveAuxCommandFromToolbar(int16_t view, const std::string& name) override {
        return d_->Call("RemoveAuxCommandFromToolbar", view, name).Long();
    }
    int32_t RemoveAuxCommandFromToolsMenu(int16_t view, const std::string& name) override {
        return d_->Call("RemoveAuxCommandFromToolsMenu", view, name).Long();
    }

  private:
    DispatchPtr d_;
};

// Receives the event control's notifications (its outgoing dispinterface) and hands them to
// the control while it is connected.
class EventSink : public IDispatch {
  public:
    EventSink(const IID& iid, std::function<void(DISPID)> fire)
        : iid_(iid), fire_(std::move(fire)) {}
    void Detach() { fire_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, iid_)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&refs_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        if (fire_) {
            auto fire = fire_; // the handler may release the control and detach this sink
            try {
                fire(id);
            } catch (...) {
                // A notification handler reports its own errors; none may cross into COM.
            }
        }
        return S_OK;
    }

  private:
    virtual ~EventSink() = default;
    LONG refs_ = 1;
    IID iid_;
    std::function<void(DISPID)> fire_;
};

class Win32EventControl : public EventControl {
  public:
    explicit Win32EventControl(DispatchPtr d) : d_(std::move(d)) { Advise(); }
    ~Win32EventControl() override { Unadvise(); }

    int32_t DatabaseOpen(int32_t reserved) override {
        return d_->CallId(kDispidDatabaseOpen, reserved).Long();
    }
    void Disconnect() override {
        d_->CallId(kDispidDisconnect);
        Unadvise();
    }
    bool CannotCommunicate() override { return d_->CallId(kDispidCannotCommunicate).Bool(); }
    void OnNotification(std::function<void(Notification)> handler) override {
        handler_ = std::move(handler);
    }

  private:
    // Connects to the control's outgoing interface: the one its class information names, else
    // the first it lists, else the known one. A control without any sends nothing.
    void Advise() {
        ComPtr<IConnectionPointContainer> container;
        if (FAILED(d_->get()->QueryInterface(IID_IConnectionPointContainer,
                                             reinterpret_cast<void**>(container.out()))))
            return;
        ComPtr<IConnectionPoint> point = SourcePoint(container.get());
        IID iid{};
        if (!point || FAILED(point->GetConnectionInterface(&iid))) return;
        auto* sink = new EventSink(iid, [this](DISPID id) { Fire(id); });
        DWORD cookie = 0;
        if (FAILED(point->Advise(sink, &cookie))) {
            sink->Detach();
            sink->Release();
            return;
        }
        point_ = std::move(point);
        sink_ = sink;
        cookie_ = cookie;
    }
    ComPtr<IConnectionPoint> SourcePoint(IConnectionPointContainer* container) {
        ComPtr<IConnectionPoint> point;
        ComPtr<IProvideClassInfo2> info;
        IID iid{};
        if (SUCCEEDED(d_->get()->QueryInterface(IID_IProvideClassInfo2,
                                                reinterpret_cast<void**>(info.out()))) &&
            SUCCEEDED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &iid)) &&
            SUCCEEDED(container->FindConnectionPoint(iid, point.out())) && point)
            return point;
        ComPtr<IEnumConnectionPoints> points;
        if (SUCCEEDED(container->EnumConnectionPoints(points.out())) && points &&
            points->Next(1, point.out(), nullptr) == S_OK && point)
            return point;
        std::wstring known = Wide(kEventInterfaceId);
        if (SUCCEEDED(IIDFromString(known.c_str(), &iid)) &&
            SUCCEEDED(container->FindConnectionPoint(iid, point.out())) && point)
            return point;
        return ComPtr<IConnectionPoint>();
    }
    void Unadvise() {
        if (!sink_) return;
        sink_->Detach();
        point_->Unadvise(cookie_);
        sink_->Release();
        sink_ = nullptr;
        point_ = ComPtr<IConnectionPoint>();
    }
    void Fire(DISPID id) {
        if (!handler_) return;
        auto handler = handler_;
        if (id == kDispidOnDatabaseClosing)
            handler(Notification::DatabaseClosing);
        else if (id == kDispidOnAppClosing)
            handler(Notification::AppClosing);
    }

    DispatchPtr d_;
    ComPtr<IConnectionPoint> point_;
    EventSink* sink_ = nullptr;
    DWORD cookie_ = 0;
    std::function<void(Notification)> handler_;
};

class Win32Automation : public Automation {
  public:
    Win32Automation() {
        // S_FALSE (already entered) is a success too: every success is balanced.
        initialized_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    ~Win32Automation() override {
        if (initialized_) CoUninitialize();
    }
    std::shared_ptr<App> CreateApp() override {
        return std::make_shared<Win32App>(Create(kAppProgId));
    }
    std::shared_ptr<act::Database> CreateDatabase() override {
        return std::make_shared<Win32Database>(Create(kDatabaseProgId));
    }
    std::shared_ptr<AuxCommands> CreateAuxCommands() override {
        return std::make_shared<Win32AuxCommands>(Create(kAuxCommandsProgId));
    }
    std::shared_ptr<EventControl> CreateEventControl() override {
        return std::make_shared<Win32EventControl>(Create(kEventProgId));
    }

  private:
    static DispatchPtr Create(const char* progId) {
        std::wstring w = Wide(progId);
        CLSID clsid{};
        ComPtr<IDispatch> d;
        if (FAILED(CLSIDFromProgID(w.c_str(), &clsid)) ||
            FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                    reinterpret_cast<void**>(d.out()))) ||
            !d)
            throw VbError(err::kCantCreateObject, "ActiveX component can't create object");
        return std::make_shared<Dispatch>(std::move(d));
    }
    bool initialized_ = false;
};

} // namespace

std::unique_ptr<Automation> MakeWin32Automation() {
    return std::make_unique<Win32Automation>();
}

} // namespace tamber::act
