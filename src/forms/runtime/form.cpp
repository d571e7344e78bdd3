#include <algorithm>

#include "common/vb_error.h"
#include "forms/runtime/forms.h"
#include "forms/runtime/headless.h"

namespace tamber::forms {
namespace {

FormsHost* g_host = nullptr;

std::vector<Form*> g_loaded; // oldest first
std::vector<Form*>& LoadedList() {
    return g_loaded;
}

} // namespace

FormsHost& Host() {
    static HeadlessHost fallback(false);
    return g_host ? *g_host : fallback;
}

void SetHost(FormsHost* host) {
    g_host = host;
}

const std::vector<Form*>& screen::LoadedForms() {
    return g_loaded;
}

Form::Form(std::string name) : name_(std::move(name)), caption_(name_) {}

Form::~Form() {
    if (loaded_) {
        auto& l = LoadedList();
        l.erase(std::remove(l.begin(), l.end(), this), l.end());
        if (screen::ActiveForm() == this) screen::SetActiveForm(nullptr);
        Host().DestroyForm(*this);
    }
}

void Form::Register(Control* c) {
    c->tabIndex_ = static_cast<int>(controls_.size());
    controls_.push_back(c);
}

void Form::Unregister(Control* c) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
    if (active_ == c) active_ = nullptr;
}

void Form::RegisterMenu(Menu* m) {
    if (!m->ParentMenu()) menus_.push_back(m);
    allMenus_.push_back(m);
}

void Form::Changed(FormProp p) {
    if (loaded_) Host().ApplyForm(*this, p);
}

void Form::Load() {
    if (loaded_) return;
    if (!initialized_) {
        initialized_ = true;
        Form_Initialize();
    }
    loaded_ = true;
    LoadedList().push_back(this);
    Host().CreateForm(*this);
    Form_Load();
}

void Form::Show(bool modal) {
    Load();
    if (!loaded_) return; // the form unloaded itself while loading
    if (modal && visible_) throw VbError(400, "Form already displayed; can't show modally");
    visible_ = true;
    modal_ = modal;
    Host().ShowForm(*this, modal);
    modal_ = false;
}

void Form::Hide() {
    if (!loaded_ || !visible_) return;
    visible_ = false;
    if (screen::ActiveForm() == this) screen::SetActiveForm(nullptr);
    Host().ApplyForm(*this, FormProp::Visible);
}

bool Form::Unload(int mode) {
    if (!loaded_ || unloading_) return true;
    unloading_ = true;
    int cancel = 0;
    try {
        Form_QueryUnload(cancel, mode);
        if (!cancel) Form_Unload(cancel);
    } catch (...) {
        unloading_ = false;
        throw;
    }
    unloading_ = false;
    if (cancel) return false;
    loaded_ = false;
    visible_ = false;
    active_ = nullptr;
    auto& l = LoadedList();
    l.erase(std::remove(l.begin(), l.end(), this), l.end());
    if (screen::ActiveForm() == this) screen::SetActiveForm(nullptr);
    Host().DestroyForm(*this);
    return true;
}

void Form::SetCaption(std::string c) {
    caption_ = std::move(c);
    Changed(FormProp::Caption);
}

void Form::Move(long left, long top, long width, long height) {
    if (width < 0 || height < 0) throw VbError(380, "Invalid property value");
    const bool resized = width != width_ || height != height_;
    left_ = left, top_ = top, width_ = width, height_ = height;
    Changed(FormProp::Geometry);
    if (resized && loaded_) Form_Resize();
}

void Form::SyncGeometry(long left, long top, long width, long height) {
    const bool resized = width != width_ || height != height_;
    left_ = left, top_ = top, width_ = width, height_ = height;
    if (resized && loaded_) Form_Resize();
}

long Form::ScaleWidth() const {
    long w = 0, h = 0;
    Host().NonClientTwips(*this, w, h);
    return std::max(0L, width_ - w);
}

long Form::ScaleHeight() const {
    long w = 0, h = 0;
    Host().NonClientTwips(*this, w, h);
    return std::max(0L, height_ - h);
}

void Form::SetClientSize(long width, long height) {
    long w = 0, h = 0;
    Host().NonClientTwips(*this, w, h);
    Move(left_, top_, width + w, height + h);
}

void Form::SetBorderStyle(int s) {
    if (s < vb::kBsNone || s > vb::kSizableToolWindow) throw VbError(380, "Invalid property value");
    borderStyle_ = s;
    Changed(FormProp::Style);
}

void Form::SetTopMost(bool v) {
    topMost_ = v;
    Changed(FormProp::TopMost);
}

void Form::SetIcon(int resourceId) {
    icon_ = resourceId;
    Changed(FormProp::Icon);
}

void Form::SetEnabled(bool v) {
    enabled_ = v;
    Changed(FormProp::Enabled);
}

void Form::SetMousePointer(int p) {
    mousePointer_ = p;
    Changed(FormProp::MousePointer);
}

Control* Form::FindControl(const std::string& name, int index) const {
    for (Control* c : controls_)
        if (c->Name() == name && c->Index() == index) return c;
    return nullptr;
}

CommandButton* Form::DefaultButton() const {
    for (Control* c : controls_)
        if (auto* b = dynamic_cast<CommandButton*>(c); b && b->Default()) return b;
    return nullptr;
}

CommandButton* Form::CancelButton() const {
    for (Control* c : controls_)
        if (auto* b = dynamic_cast<CommandButton*>(c); b && b->Cancel()) return b;
    return nullptr;
}

std::vector<Control*> Form::TabOrder() const {
    std::vector<Control*> order;
    for (Control* c : controls_)
        if (c->Focusable() && c->TabStop() && c->EffectivelyVisible() && c->EffectivelyEnabled())
            order.push_back(c);
    std::stable_sort(order.begin(), order.end(),
                     [](Control* a, Control* b) { return a->TabIndex() < b->TabIndex(); });
    return order;
}

bool Form::DialogKey(int keyCode, int shift) {
    switch (keyCode) {
    case vb::kKeyTab: {
        if (shift & (vb::kCtrlMask | vb::kAltMask)) return false;
        auto order = TabOrder();
        if (order.empty() || !visible_ || !enabled_) return true;
        auto at = std::find(order.begin(), order.end(), active_);
        int n = static_cast<int>(order.size());
        int i = at == order.end() ? -1 : static_cast<int>(at - order.begin());
        int next = (shift & vb::kShiftMask) ? (i <= 0 ? n - 1 : i - 1) : (i + 1) % n;
        order[next]->SetFocus();
        return true;
    }
    case vb::kKeyReturn: {
        if (shift & vb::kAltMask) return false;
        if (auto* b = dynamic_cast<CommandButton*>(active_)) {
            b->FireClick();
            return true;
        }
        CommandButton* def = DefaultButton();
        if (!def || !def->EffectivelyEnabled()) return false;
        def->FireClick();
        return true;
    }
    case vb::kKeyEscape: {
        CommandButton* cancel = CancelButton();
        if (!cancel || !cancel->EffectivelyEnabled()) return false;
        cancel->FireClick();
        return true;
    }
    default:
        return false;
    }
}

void Form::Activated() {
    if (!loaded_ || screen::ActiveForm() == this) return;
    if (Form* previous = screen::ActiveForm(); previous && previous->loaded_)
        previous->Form_Deactivate();
    screen::SetActiveForm(this);
    Form_Activate();
    // A window the system showed and activated behind the model's back (shown on top by a
    // port while still hidden here) has nothing that may take the focus.
    if (!loaded_ || active_ || !visible_ || !enabled_) return;
    // Nothing took the focus in Activate: the first control in tab order gets it.
    auto order = TabOrder();
    if (!order.empty())
        order.front()->SetFocus();
    else
        Form_GotFocus();
}

void Form::FocusChanged(Control* now) {
    if (now == active_) return;
    Control* old = active_;
    active_ = now;
    if (old && old->onLostFocus) old->onLostFocus();
    if (now && now->onGotFocus) now->onGotFocus();
}

} // namespace tamber::forms
