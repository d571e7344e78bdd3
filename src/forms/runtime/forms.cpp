#include "forms/runtime/forms.h"

#include <algorithm>
#include <cmath>

#include "common/vb_error.h"
#include "forms/runtime/collate.h"

namespace tamber::forms {
namespace {

Form* g_activeForm = nullptr;
int g_screenPointer = vb::kDefault;
const std::string kEmpty;

[[noreturn]] void InvalidValue() {
    throw VbError(380, "Invalid property value");
}
[[noreturn]] void InvalidIndex() {
    throw VbError(381, "Invalid property array index");
}
[[noreturn]] void InvalidCall() {
    throw VbError(err::kInvalidProcedureCall, "Invalid procedure call or argument");
}

} // namespace

// ---- screen ----

namespace screen {
double TwipsPerPixelX() {
    return Host().TwipsPerPixelX();
}
double TwipsPerPixelY() {
    return Host().TwipsPerPixelY();
}
int MousePointer() {
    return g_screenPointer;
}
void SetMousePointer(int p) {
    g_screenPointer = p;
    Host().ApplyScreenPointer(p);
}
Form* ActiveForm() {
    return g_activeForm;
}
void SetActiveForm(Form* f) {
    g_activeForm = f;
}
} // namespace screen

long TwipsToPixelsX(long twips) {
    return std::lround(twips / screen::TwipsPerPixelX());
}
long TwipsToPixelsY(long twips) {
    return std::lround(twips / screen::TwipsPerPixelY());
}

// ---- Control ----

Control::Control(Form& form, std::string name, int index)
    : form_(form), name_(std::move(name)), index_(index) {
    form_.Register(this);
}

Control::~Control() {
    form_.Unregister(this);
}

void Control::Move(long left, long top, long width, long height) {
    if (width < 0 || height < 0) InvalidValue();
    left_ = left, top_ = top, width_ = width, height_ = height;
    Changed(Prop::Geometry);
    // Contained controls sit relative to this one.
    for (Control* c : form_.controls_)
        if (c->container_ == this) c->Move(c->left_, c->top_, c->width_, c->height_);
}

void Control::SetContainer(Control* frame) {
    container_ = frame;
    Changed(Prop::Geometry);
    Changed(Prop::Visible);
}

void Control::SetVisible(bool v) {
    if (visible_ == v) return;
    visible_ = v;
    Changed(Prop::Visible);
    for (Control* c : form_.controls_)
        if (c->container_ == this) c->Changed(Prop::Visible);
}

void Control::SetEnabled(bool v) {
    if (enabled_ == v) return;
    enabled_ = v;
    Changed(Prop::Enabled);
    for (Control* c : form_.controls_)
        if (c->container_ == this) c->Changed(Prop::Enabled);
}

bool Control::EffectivelyVisible() const {
    return visible_ && (!container_ || container_->EffectivelyVisible());
}
bool Control::EffectivelyEnabled() const {
    return enabled_ && (!container_ || container_->EffectivelyEnabled());
}

void Control::SetTabIndex(int v) {
    if (v < 0) InvalidValue();
    tabIndex_ = v;
}

void Control::SetFont(const Font& f) {
    font_ = f;
    Changed(Prop::Font);
}

void Control::SetFontBold(bool b) {
    font_.bold = b;
    Changed(Prop::Font);
}

void Control::SetMousePointer(int p) {
    mousePointer_ = p;
    Changed(Prop::MousePointer);
}

void Control::SetToolTipText(std::string v) {
    if (v == toolTip_) return;
    toolTip_ = std::move(v);
    Changed(Prop::ToolTip);
}

void Control::SetFocus() {
    if (!form_.Loaded() || !form_.Visible() || !form_.Enabled() || !Focusable() ||
        !EffectivelyVisible() || !EffectivelyEnabled())
        InvalidCall();
    form_.FocusChanged(this);
    Host().FocusControl(*this);
}

bool Control::HasFocus() const {
    return form_.ActiveControl() == this && screen::ActiveForm() == &form_;
}

void Control::FireMouse(int which, int button, int shift, float x, float y) {
    auto& handler = which == 0 ? onMouseDown : which == 1 ? onMouseMove : onMouseUp;
    if (handler) handler(button, shift, x, y);
}

// ---- simple kinds ----

void Label::SetCaption(std::string v) {
    caption_ = std::move(v);
    Changed(Prop::Caption);
}
void Label::SetAlignment(int a) {
    alignment_ = a;
    Changed(Prop::Style);
}

void CommandButton::SetCaption(std::string v) {
    caption_ = std::move(v);
    Changed(Prop::Caption);
}
void CommandButton::SetDefault(bool v) {
    if (v)
        for (Control* c : Parent().Controls())
            if (auto* b = dynamic_cast<CommandButton*>(c); b && b != this && b->default_) {
                b->default_ = false;
                b->Changed(Prop::Style);
            }
    default_ = v;
    Changed(Prop::Style);
}
void CommandButton::SetCancel(bool v) {
    if (v)
        for (Control* c : Parent().Controls())
            if (auto* b = dynamic_cast<CommandButton*>(c); b && b != this) b->cancel_ = false;
    cancel_ = v;
}
void CommandButton::DefaultKeyAction(int keyAscii) {
    if (keyAscii == vb::kKeySpace) FireClick();
}

void CheckBox::SetCaption(std::string v) {
    caption_ = std::move(v);
    Changed(Prop::Caption);
}
void CheckBox::SetValue(int v) {
    if (v < vb::kUnchecked || v > vb::kGrayed) InvalidValue();
    if (v == value_) return;
    value_ = v;
    Changed(Prop::Value);
    FireClick();
}
void CheckBox::DefaultKeyAction(int keyAscii) {
    if (keyAscii == vb::kKeySpace) Toggle();
}

void Frame::SetCaption(std::string v) {
    caption_ = std::move(v);
    Changed(Prop::Caption);
}

void ProgressBar::SetRange(double min, double max) {
    if (min >= max) InvalidValue();
    min_ = min, max_ = max;
    value_ = std::clamp(value_, min_, max_);
    Changed(Prop::Value);
}
void ProgressBar::SetValue(double v) {
    if (std::isnan(v) || v < min_ || v > max_) InvalidValue();
    value_ = v;
    Changed(Prop::Value);
}

Line::Line(Form& form, std::string name, int index) : Control(form, std::move(name), index) {
    SetTabStop(false);
}
void Line::SetPoints(long x1, long y1, long x2, long y2) {
    x1_ = x1, y1_ = y1, x2_ = x2, y2_ = y2;
    Move(std::min(x1, x2), std::min(y1, y2), std::labs(x2 - x1), std::labs(y2 - y1));
}
void Line::SetBorderColor(long c) {
    color_ = c;
    Changed(Prop::Style);
}

Timer::Timer(Form& form, std::string name) : Control(form, std::move(name)) {
    SetTabStop(false);
}
void Timer::SetInterval(long ms) {
    if (ms < 0 || ms > 65535) InvalidValue();
    interval_ = ms;
    Changed(Prop::Value);
}
bool Timer::Running() const {
    return Enabled() && interval_ > 0 && Parent().Loaded();
}

// ---- text boxes ----

const std::string& TextBox::Text() const {
    PullFromPeer(Prop::Caption);
    return text_;
}

void TextBox::SetText(std::string v) {
    if (v == text_) return;
    text_ = std::move(v);
    selStart_ = std::min<int>(selStart_, static_cast<int>(text_.size()));
    selLength_ = 0;
    Changed(Prop::Caption);
    if (onChange) onChange();
}

void TextBox::SyncText(std::string v) {
    if (v == text_) return;
    text_ = std::move(v);
    selStart_ = static_cast<int>(text_.size());
    selLength_ = 0;
    if (onChange) onChange();
}

void TextBox::SetLocked(bool v) {
    locked_ = v;
    Changed(Prop::Style);
}

void TextBox::SetSelStart(int v) {
    if (v < 0) InvalidValue();
    selStart_ = std::min<int>(v, static_cast<int>(text_.size()));
    selLength_ = 0;
    Changed(Prop::Selection);
}

void TextBox::SetSelLength(int v) {
    if (v < 0) InvalidValue();
    selLength_ = std::min<int>(v, static_cast<int>(text_.size()) - selStart_);
    Changed(Prop::Selection);
}

void TextBox::DefaultKeyAction(int keyAscii) {
    if (locked_) return;
    const bool inserts = keyAscii >= 32 && keyAscii < 256;
    const bool breaks = keyAscii == vb::kKeyReturn && multiLine_;
    if (!inserts && !breaks && keyAscii != vb::kKeyBack) return;
    std::string t = text_;
    size_t at = std::min<size_t>(selStart_, t.size());
    const size_t selected = std::min<size_t>(selLength_, t.size() - at);
    if (selected > 0) {
        t.erase(at, selected); // Backspace deletes just the selection
    } else if (keyAscii == vb::kKeyBack) {
        if (at == 0) return;
        t.erase(at - 1, 1);
        --at;
    }
    if (breaks) {
        t.insert(at, "\r\n");
        at += 2;
    } else if (inserts) {
        t.insert(at, 1, static_cast<char>(keyAscii));
        ++at;
    }
    text_.swap(t);
    selStart_ = static_cast<int>(at);
    selLength_ = 0;
    Changed(Prop::Caption);
    if (onChange) onChange();
}

// ---- list and combo boxes ----

const std::string& ListControl::List(int i) const {
    if (i < -1) InvalidIndex();
    if (i < 0 || i >= ListCount()) return kEmpty;
    return items_[i].text;
}

void ListControl::SetList(int i, std::string text) {
    if (i < 0 || i >= ListCount()) InvalidIndex();
    items_[i].text = std::move(text);
    Changed(Prop::ItemChange, i);
}

long ListControl::ItemData(int i) const {
    if (i < 0 || i >= ListCount()) InvalidIndex();
    return items_[i].itemData;
}

void ListControl::SetItemData(int i, long v) {
    if (i < 0 || i >= ListCount()) InvalidIndex();
    items_[i].itemData = v;
}

void ListControl::AddItem(std::string text, int position) {
    const int n = ListCount();
    if (n >= 32767) throw VbError(err::kOutOfMemory, "Out of memory");
    if (position > n || position < -1) InvalidCall();
    if (position < 0 && sorted_) {
        // The platform's binary search: an equal entry found on the way takes the new one
        // in front of it.
        // Its bounds are inclusive, which decides where among equal entries a search lands.
        int lo = 0, hi = n - 1;
        while (lo <= hi) {
            int mid = (lo + hi) / 2;
            int r = CompareListText(text, items_[mid].text);
            if (r == 0 && EqualsNoCase(text, items_[mid].text)) {
                lo = mid;
                break;
            }
            if (r < 0)
                hi = mid - 1;
            else
                lo = mid + 1;
        }
        position = lo;
    } else if (position < 0) {
        position = n;
    }
    items_.insert(items_.begin() + position, ListEntry{std::move(text), 0});
    newIndex_ = position;
    if (listIndex_ >= position) ++listIndex_;
    Changed(Prop::ItemInsert, position);
}

void ListControl::RemoveItem(int i) {
    if (i < 0 || i >= ListCount()) InvalidCall();
    items_.erase(items_.begin() + i);
    if (listIndex_ == i)
        listIndex_ = -1;
    else if (listIndex_ > i)
        --listIndex_;
    Changed(Prop::ItemRemove, i);
}

void ListControl::Clear() {
    items_.clear();
    listIndex_ = -1;
    newIndex_ = -1;
    Changed(Prop::ItemsClear);
}

void ListControl::SetItems(std::vector<std::string> texts) {
    if (texts.size() > 32767) throw VbError(err::kOutOfMemory, "Out of memory");
    if (sorted_)
        std::stable_sort(
            texts.begin(), texts.end(),
            [](const std::string& a, const std::string& b) { return CompareListText(a, b) < 0; });
    items_.clear();
    items_.reserve(texts.size());
    for (std::string& t : texts)
        items_.push_back(ListEntry{std::move(t), 0});
    listIndex_ = -1;
    newIndex_ = -1;
    Changed(Prop::ItemsReset);
}

void ListControl::SetListIndex(int i) {
    if (i < -1 || i >= ListCount()) InvalidValue();
    if (i == listIndex_) return;
    listIndex_ = i;
    ListIndexChanged();
    Changed(Prop::ListIndex);
    FireClick();
}

void ListControl::SyncListIndex(int i) {
    if (i < -1 || i >= ListCount() || i == listIndex_) return;
    listIndex_ = i;
    ListIndexChanged();
    FireClick();
}

int ListControl::FindPrefix(const std::string& prefix, int start, bool includeStart) const {
    const int n = ListCount();
    int first = includeStart ? std::max(start, 0) : start + 1;
    for (int k = 0; k < n; ++k) {
        int i = (first + k) % n;
        if (StartsWithNoCase(items_[i].text, prefix)) return i;
    }
    return -1;
}

void ListControl::TypeAhead(int keyAscii) {
    if (keyAscii < 32 || keyAscii > 255 || items_.empty()) return;
    const long long now = Host().NowMs();
    // Characters typed in quick succession extend the search text.
    if (now - typedAt_ > 1000) typed_.clear();
    typedAt_ = now;
    typed_ += static_cast<char>(keyAscii);
    const bool repeated = std::all_of(typed_.begin(), typed_.end(), [&](char c) {
        return EqualsNoCase({&c, 1}, typed_.substr(0, 1));
    });
    // One character (or the same one again) steps to the next entry starting with it; a longer
    // text keeps the current entry while it still matches.
    int found = repeated ? FindPrefix(typed_.substr(0, 1), listIndex_, false)
                         : FindPrefix(typed_, listIndex_, true);
    if (found >= 0) SetListIndex(found);
}

int ListBox::VisibleRows() const {
    return std::max<long>(1, Height() / std::max<long>(1, itemHeight_));
}

int ListBox::TopIndex() const {
    PullFromPeer(Prop::TopIndex);
    return topIndex_;
}

void ListBox::SetTopIndex(int i) {
    if (i < 0 || (i >= ListCount() && ListCount() > 0)) InvalidValue();
    topIndex_ = std::min(i, std::max(0, ListCount() - VisibleRows()));
    Changed(Prop::TopIndex);
}

void ListBox::SetText(const std::string& t) {
    for (int i = 0; i < ListCount(); ++i)
        if (EqualsNoCase(items_[i].text, t)) return SetListIndex(i);
    SetListIndex(-1);
}

void ListBox::ListIndexChanged() {
    if (listIndex_ < 0) return;
    const int rows = VisibleRows();
    if (listIndex_ < topIndex_)
        topIndex_ = listIndex_;
    else if (listIndex_ >= topIndex_ + rows)
        topIndex_ = listIndex_ - rows + 1;
}

void ListBox::DefaultKeyAction(int keyAscii) {
    TypeAhead(keyAscii);
}

std::string ComboBox::Text() const {
    if (style_ == vb::kComboDropDownList) return listIndex_ >= 0 ? items_[listIndex_].text : "";
    PullFromPeer(Prop::Caption);
    return text_;
}

void ComboBox::SetText(const std::string& t) {
    if (style_ == vb::kComboDropDownList) {
        for (int i = 0; i < ListCount(); ++i)
            if (EqualsNoCase(items_[i].text, t)) return SetListIndex(i);
        throw VbError(383, "'Text' property is read-only");
    }
    if (t == text_) return;
    text_ = t;
    Changed(Prop::Caption);
    if (onChange) onChange();
}

void ComboBox::SyncText(std::string t) {
    if (t == text_) return;
    text_ = std::move(t);
    if (onChange) onChange();
}

void ComboBox::ListIndexChanged() {
    text_ = listIndex_ >= 0 ? items_[listIndex_].text : "";
}

void ComboBox::DefaultKeyAction(int keyAscii) {
    if (style_ == vb::kComboDropDownList) return TypeAhead(keyAscii);
    std::string t = text_;
    if (keyAscii == vb::kKeyBack) {
        if (t.empty()) return;
        t.pop_back();
    } else if (keyAscii >= 32 && keyAscii < 256) {
        t += static_cast<char>(keyAscii);
    } else {
        return;
    }
    text_ = t;
    Changed(Prop::Caption);
    if (onChange) onChange();
}

// ---- list view ----

int ListView::AddColumn(std::string key, std::string text, long width) {
    columns_.push_back({std::move(key), std::move(text), width, 0});
    Relayout();
    Changed(Prop::Columns);
    return static_cast<int>(columns_.size()) - 1;
}

void ListView::ClearColumns() {
    columns_.clear();
    Changed(Prop::Columns);
}

void ListView::SetColumnWidth(int i, long width) {
    if (i < 0 || i >= static_cast<int>(columns_.size()) || width < 0) InvalidIndex();
    columns_[i].width = width;
    Relayout();
    Changed(Prop::Columns);
}

void ListView::SyncColumnWidth(int i, long width) {
    if (i < 0 || i >= static_cast<int>(columns_.size()) || width < 0) return;
    columns_[i].width = width;
    Relayout();
}

int ListView::ColumnByKey(const std::string& key) const {
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].key == key) return static_cast<int>(i);
    return -1;
}

void ListView::Relayout() {
    long left = 0;
    for (auto& c : columns_) {
        c.left = left;
        left += c.width;
    }
}

int ListView::AddItem(std::string text, std::string key) {
    ListItem item;
    item.text = std::move(text);
    item.key = std::move(key);
    items_.push_back(std::move(item));
    int i = static_cast<int>(items_.size()) - 1;
    Changed(Prop::ItemInsert, i);
    return i;
}

void ListView::ClearItems() {
    items_.clear();
    topIndex_ = 0;
    Changed(Prop::ItemsClear);
}

const ListItem& ListView::Item(int i) const {
    if (i < 0 || i >= ItemCount()) InvalidIndex();
    return items_[i];
}

void ListView::SetItemText(int i, std::string text) {
    Item(i);
    items_[i].text = std::move(text);
    Changed(Prop::ItemChange, i);
}

void ListView::SetSubItem(int i, int sub, std::string text) {
    Item(i);
    if (sub < 1) InvalidIndex();
    auto& subs = items_[i].subItems;
    if (subs.size() < static_cast<size_t>(sub)) subs.resize(sub);
    subs[sub - 1] = std::move(text);
    Changed(Prop::ItemChange, i);
}

std::string ListView::SubItem(int i, int sub) const {
    const auto& subs = Item(i).subItems;
    if (sub < 1) InvalidIndex();
    return static_cast<size_t>(sub) <= subs.size() ? subs[sub - 1] : std::string();
}

void ListView::SetItemTag(int i, std::string tag) {
    Item(i);
    items_[i].tag = std::move(tag);
}

void ListView::SetItemBold(int i, bool bold) {
    Item(i);
    items_[i].bold = bold;
    Changed(Prop::ItemChange, i);
}

int ListView::SelectedItem() const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].selected) return static_cast<int>(i);
    return -1;
}

void ListView::SetSelectedItem(int i) {
    if (i < -1 || i >= ItemCount()) InvalidIndex();
    for (size_t k = 0; k < items_.size(); ++k)
        items_[k].selected = static_cast<int>(k) == i;
    Changed(Prop::ListIndex, i);
}

void ListView::SyncSelectedItem(int i) {
    if (i < -1 || i >= ItemCount()) return;
    for (size_t k = 0; k < items_.size(); ++k)
        items_[k].selected = static_cast<int>(k) == i;
    if (i >= 0 && onItemClick) onItemClick(i);
}

int ListView::TopIndex() const {
    PullFromPeer(Prop::TopIndex);
    return topIndex_;
}

int ListView::HitTest(float x, float y) const {
    const int top = TopIndex(); // also refreshes the renderer's row metrics
    if (x < 0 || y < headerHeight_ || rowHeight_ <= 0) return -1;
    long right = columns_.empty() ? 0 : columns_.back().left + columns_.back().width;
    if (x >= right) return -1;
    int row = top + static_cast<int>((y - headerHeight_) / rowHeight_);
    return row < ItemCount() ? row : -1;
}

// ---- menus ----

Menu::Menu(Form& form, std::string name, std::string caption, Menu* parent)
    : form_(form), name_(std::move(name)), caption_(std::move(caption)), parent_(parent) {
    if (parent_) parent_->children_.push_back(this);
    form_.RegisterMenu(this);
}
void Menu::SetCaption(std::string c) {
    caption_ = std::move(c);
    form_.Changed(FormProp::Menus);
}
void Menu::SetEnabled(bool e) {
    enabled_ = e;
    form_.Changed(FormProp::Menus);
}
void Menu::SetChecked(bool c) {
    checked_ = c;
    form_.Changed(FormProp::Menus);
}
void Menu::SetVisible(bool v) {
    visible_ = v;
    form_.Changed(FormProp::Menus);
}

} // namespace tamber::forms
