#include "forms/runtime/headless.h"

#include <stdexcept>

namespace tamber::forms {

namespace {
FormsHost* CurrentHostOrNull(FormsHost& h, HeadlessHost* self) {
    return &h == self ? nullptr : &h;
}
} // namespace

HeadlessHost::HeadlessHost(bool install) : installed_(install) {
    if (installed_) {
        previous_ = CurrentHostOrNull(Host(), this);
        SetHost(this);
    }
}

HeadlessHost::~HeadlessHost() {
    if (installed_) SetHost(previous_);
}

void HeadlessHost::NonClientTwips(const Form& form, long& width, long& height) const {
    // Classic metrics: 3-pixel fixed frame, 4-pixel sizing frame, 18-pixel caption
    // (15 for tool windows), 19-pixel menu bar.
    int frame = 0, caption = 0;
    switch (form.BorderStyle()) {
    case vb::kBsNone:
        break;
    case vb::kSizable:
    case vb::kSizableToolWindow:
        frame = 4;
        break;
    default:
        frame = 3;
        break;
    }
    if (form.BorderStyle() != vb::kBsNone)
        caption = (form.BorderStyle() == vb::kFixedToolWindow ||
                   form.BorderStyle() == vb::kSizableToolWindow)
                      ? 15
                      : 18;
    const int menu = form.Menus().empty() ? 0 : 19;
    width = static_cast<long>(2 * frame * tppX);
    height = static_cast<long>((2 * frame + caption + menu) * tppY);
}

void HeadlessHost::CreateForm(Form& form) {
    everLoaded_ = true;
    created.push_back(form.Name());
}

void HeadlessHost::DestroyForm(Form& form) {
    destroyed.push_back(form.Name());
    for (Control* c : form.Controls())
        if (auto* t = dynamic_cast<Timer*>(c)) due_.erase(t);
}

void HeadlessHost::ApplyForm(Form&, FormProp) {}

void HeadlessHost::ShowForm(Form& form, bool modal) {
    Form* previous = screen::ActiveForm();
    form.Activated();
    if (!modal) return;
    modalShows.push_back(form.Name());
    if (!drivers_.empty()) {
        auto driver = std::move(drivers_.front());
        drivers_.pop_front();
        driver(form);
    } else if (form.Loaded() && form.Visible()) {
        CloseBox(form);
    }
    if (form.Loaded() && form.Visible())
        throw std::logic_error("modal form " + form.Name() + " is still shown after its script");
    // Back to the window that was active before, as the platform reactivates the owner.
    if (previous && previous != &form && previous->Loaded() && previous->Visible())
        previous->Activated();
}

bool HeadlessHost::Ended() const {
    return everLoaded_ && screen::LoadedForms().empty();
}

void HeadlessHost::Idle() {
    if (screen::ActiveForm()) return;
    const auto& loaded = screen::LoadedForms();
    for (auto it = loaded.rbegin(); it != loaded.rend(); ++it)
        if ((*it)->Visible()) return (*it)->Activated();
}

void HeadlessHost::Click(Control& c) {
    if (!c.EffectivelyVisible() || !c.Parent().Enabled()) return;
    if (!c.EffectivelyEnabled()) {
        // A disabled control takes no mouse input: the click lands on what lies beneath it.
        if (Control* frame = c.Container(); frame && frame->EffectivelyEnabled())
            return Click(*frame);
        return Click(c.Parent());
    }
    if (c.Focusable() && c.Parent().Visible()) Focus(c);
    const float x = c.Width() / 2.0f, y = c.Height() / 2.0f;
    c.FireMouse(0, vb::kLeftButton, 0, x, y);
    c.FireMouse(2, vb::kLeftButton, 0, x, y);
    if (auto* box = dynamic_cast<CheckBox*>(&c))
        box->Toggle();
    else if (dynamic_cast<ListControl*>(&c) == nullptr && dynamic_cast<ListView*>(&c) == nullptr)
        c.FireClick();
    Idle();
}

void HeadlessHost::Click(Form& form) {
    if (!form.Loaded() || !form.Visible() || !form.Enabled()) return;
    form.Form_Click();
    Idle();
}

void HeadlessHost::ClickItem(ListControl& list, int i) {
    if (!list.EffectivelyEnabled() || !list.EffectivelyVisible()) return;
    if (list.Parent().Visible()) Focus(list);
    list.FireMouse(0, vb::kLeftButton, 0, 0, 0);
    list.SyncListIndex(i);
    list.FireMouse(2, vb::kLeftButton, 0, 0, 0);
    Idle();
}

void HeadlessHost::DblClick(Control& c) {
    Click(c);
    c.FireDblClick();
    Idle();
}

void HeadlessHost::MouseDown(Control& c, int button, int shift, float x, float y) {
    c.FireMouse(0, button, shift, x, y);
    Idle();
}

void HeadlessHost::MouseUp(Control& c, int button, int shift, float x, float y) {
    c.FireMouse(2, button, shift, x, y);
    Idle();
}

void HeadlessHost::Key(int keyAscii, int shift) {
    Form* form = screen::ActiveForm();
    if (!form) throw std::logic_error("no active form to type into");
    if ((keyAscii == vb::kKeyReturn || keyAscii == vb::kKeyEscape || keyAscii == vb::kKeyTab) &&
        form->DialogKey(keyAscii, shift)) {
        Idle();
        return;
    }
    Control* c = form->ActiveControl();
    if (!c) return;
    int code = (keyAscii >= 'a' && keyAscii <= 'z') ? keyAscii - 32 : keyAscii;
    c->FireKeyDown(code, shift);
    // A KeyDown that clears KeyCode does not stop the character: only KeyAscii = 0 does.
    int ascii = keyAscii;
    if (form->Loaded()) c->FireKeyPress(ascii);
    if (ascii != 0 && form->Loaded()) c->DefaultKeyAction(ascii);
    int up = code;
    if (form->Loaded()) c->FireKeyUp(up, shift);
    Idle();
}

void HeadlessHost::Type(const std::string& text) {
    for (unsigned char ch : text)
        Key(ch);
}

void HeadlessHost::KeyDown(int keyCode, int shift) {
    Form* form = screen::ActiveForm();
    if (!form) throw std::logic_error("no active form to type into");
    if (keyCode == vb::kKeyF4 && (shift & vb::kAltMask)) return CloseBox(*form);
    if (Control* c = form->ActiveControl()) {
        int code = keyCode;
        c->FireKeyDown(code, shift);
        if (form->Loaded()) c->FireKeyUp(code, shift);
    }
    Idle();
}

void HeadlessHost::Focus(Control& c) {
    Form& form = c.Parent();
    if (screen::ActiveForm() != &form) form.Activated();
    if (c.Focusable() && c.EffectivelyEnabled() && c.EffectivelyVisible()) form.FocusChanged(&c);
    Idle();
}

void HeadlessHost::CloseBox(Form& form) {
    form.Unload(vb::kFormControlMenu);
    Idle();
}

bool HeadlessHost::Tick(Timer& t) {
    const bool running = t.Running();
    if (running) t.FireTimer();
    Idle();
    return running;
}

void HeadlessHost::AdvanceMs(long long ms) {
    const long long end = now_ + ms;
    for (;;) {
        // Timers that started running begin their first interval now.
        std::vector<Timer*> running;
        for (Form* f : screen::LoadedForms())
            for (Control* c : f->Controls())
                if (auto* t = dynamic_cast<Timer*>(c); t && t->Running()) running.push_back(t);
        std::map<Timer*, long long> due;
        for (Timer* t : running) {
            auto it = due_.find(t);
            due[t] = it != due_.end() ? it->second : now_ + t->Interval();
        }
        due_.swap(due);
        Timer* next = nullptr;
        for (auto& [t, at] : due_)
            if (at <= end && (!next || at < due_[next])) next = t;
        if (!next) break;
        now_ = due_[next];
        due_[next] = now_ + next->Interval();
        Tick(*next);
    }
    now_ = end;
}

} // namespace tamber::forms
