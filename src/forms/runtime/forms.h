#pragma once
// A small VB-style control model: forms with named controls whose geometry is in twips, and
// whose events are callbacks the form wires to its own event procedures. The model holds every
// property; a FormsHost (headless in tests, Win32 in the programs) mirrors them.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/runtime/host.h"

namespace tamber::forms {

// VB constants the model speaks.
namespace vb {
constexpr int kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;
constexpr int kShiftMask = 1, kCtrlMask = 2, kAltMask = 4;
constexpr int kKeyBack = 8, kKeyTab = 9, kKeyReturn = 13, kKeyEscape = 27, kKeySpace = 32;
constexpr int kKeyF4 = 115;
// QueryUnload modes.
constexpr int kFormControlMenu = 0, kFormCode = 1, kAppWindows = 2, kAppTaskManager = 3;
// Mouse pointers.
constexpr int kDefault = 0, kArrow = 1, kHourglass = 11;
// Form border styles.
constexpr int kBsNone = 0, kFixedSingle = 1, kSizable = 2, kFixedDialog = 3, kFixedToolWindow = 4,
              kSizableToolWindow = 5;
// Combo box styles.
constexpr int kComboDropDown = 0, kComboSimple = 1, kComboDropDownList = 2;
// Check box values.
constexpr int kUnchecked = 0, kChecked = 1, kGrayed = 2;
// Alignment.
constexpr int kLeftJustify = 0, kRightJustify = 1, kCenter = 2;
} // namespace vb

struct Font {
    std::string name = "MS Sans Serif";
    double size = 8.25;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const Font&) const = default;
};

class Form;

// Common part of every control: identity, place in twips, visibility, focus and the events all
// kinds share. Handlers are plain callbacks; a form sets them to its event procedures.
class Control {
  public:
    Control(Form& form, std::string name, int index = -1);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Form& Parent() const { return form_; }
    const std::string& Name() const { return name_; }
    int Index() const { return index_; } // position in a control array, -1 when none
    virtual const char* Kind() const = 0;
    // Whether the control can take the keyboard focus at all (labels, frames and timers cannot).
    virtual bool Focusable() const { return true; }

    long Left() const { return left_; }
    long Top() const { return top_; }
    long Width() const { return width_; }
    long Height() const { return height_; }
    void SetLeft(long v) { Move(v, top_, width_, height_); }
    void SetTop(long v) { Move(left_, v, width_, height_); }
    void SetWidth(long v) { Move(left_, top_, v, height_); }
    void SetHeight(long v) { Move(left_, top_, width_, v); }
    virtual void Move(long left, long top, long width, long height);
    // The frame that holds the control; its Left and Top are relative to it.
    Control* Container() const { return container_; }
    void SetContainer(Control* frame);

    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    // Visible and enabled here and in every container.
    bool EffectivelyVisible() const;
    bool EffectivelyEnabled() const;

    int TabIndex() const { return tabIndex_; }
    void SetTabIndex(int v);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v) { tabStop_ = v; }
    const std::string& Tag() const { return tag_; }
    void SetTag(std::string v) { tag_ = std::move(v); }
    const Font& GetFont() const { return font_; }
    void SetFont(const Font& f);
    void SetFontBold(bool b);
    int MousePointer() const { return mousePointer_; }
    void SetMousePointer(int p);
    // Shown while the mouse rests on the control; "" shows none. Lines end in "\r\n".
    const std::string& ToolTipText() const { return toolTip_; }
    void SetToolTipText(std::string v);

    // The control's window handle; 0 while its form is not loaded.
    std::uintptr_t hWnd() const { return Host().HandleOf(*this); }
    // Repaints the control now.
    void Refresh() { Changed(Prop::Refresh); }

    // Moves the keyboard focus here (run-time error 5 when the control cannot take it).
    void SetFocus();
    bool HasFocus() const;

    std::function<void()> onClick, onDblClick, onGotFocus, onLostFocus;
    std::function<void(int&keyCode, int shift)> onKeyDown, onKeyUp;
    std::function<void(int& keyAscii)> onKeyPress;
    std::function<void(int button, int shift, float x, float y)> onMouseDown, onMouseMove,
        onMouseUp;

    // Raise events; renderers call these from notifications, the headless host from tests.
    void FireClick() {
        if (onClick) onClick();
    }
    void FireDblClick() {
        if (onDblClick) onDblClick();
    }
    void FireKeyDown(int& keyCode, int shift) {
        if (onKeyDown) onKeyDown(keyCode, shift);
    }
    void FireKeyUp(int& keyCode, int shift) {
        if (onKeyUp) onKeyUp(keyCode, shift);
    }
    void FireKeyPress(int& keyAscii) {
        if (onKeyPress) onKeyPress(keyAscii);
    }
    void FireMouse(int which, int button, int shift, float x, float y); // 0 down, 1 move, 2 up
    // What the platform control itself does with a character its KeyPress left standing; the
    // headless host runs it, a renderer leaves it to the real control.
    virtual void DefaultKeyAction(int /*keyAscii*/) {}

    // Renderer attachment.
    ControlPeer* Peer() const { return peer_.get(); }
    void AttachPeer(std::unique_ptr<ControlPeer> p) { peer_ = std::move(p); }
    void DetachPeer() { peer_.reset(); }

  protected:
    void Changed(Prop p, int index = -1) {
        if (peer_) peer_->Apply(p, index);
    }
    void PullFromPeer(Prop p) const {
        if (peer_) peer_->Pull(p);
    }

  private:
    friend class Form;
    Form& form_;
    std::string name_;
    int index_;
    long left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    Control* container_ = nullptr;
    bool visible_ = true, enabled_ = true, tabStop_ = true;
    int tabIndex_ = 0;
    std::string tag_;
    Font font_;
    int mousePointer_ = vb::kDefault;
    std::string toolTip_;
    std::unique_ptr<ControlPeer> peer_;
};

class Label : public Control {
  public:
    using Control::Control;
    const char* Kind() const override { return "Label"; }
    bool Focusable() const override { return false; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string v);
    int Alignment() const { return alignment_; }
    void SetAlignment(int a);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool w) { wordWrap_ = w; }

  private:
    std::string caption_;
    int alignment_ = vb::kLeftJustify;
    bool wordWrap_ = false;
};

class CommandButton : public Control {
  public:
    using Control::Control;
    const char* Kind() const override { return "CommandButton"; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string v);
    // Enter anywhere on the form presses the default button, Esc the cancel button.
    bool Default() const { return default_; }
    void SetDefault(bool v);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v);
    void DefaultKeyAction(int keyAscii) override;

  private:
    std::string caption_;
    bool default_ = false, cancel_ = false;
};

class CheckBox : public Control {
  public:
    using Control::Control;
    const char* Kind() const override { return "CheckBox"; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string v);
    int Value() const { return value_; }
    // Raises Click when the value changes, as a user's click does.
    void SetValue(int v);
    // A user's click: toggles between checked and unchecked.
    void Toggle() { SetValue(value_ == vb::kChecked ? vb::kUnchecked : vb::kChecked); }
    void DefaultKeyAction(int keyAscii) override;

  private:
    std::string caption_;
    int value_ = vb::kUnchecked;
};

class TextBox : public Control {
  public:
    using Control::Control;
    const char* Kind() const override { return "TextBox"; }
    const std::string& Text() const;
    // Raises Change when the text differs.
    void SetText(std::string v);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool v) { multiLine_ = v; }
    bool Locked() const { return locked_; }
    void SetLocked(bool v);
    int SelStart() const { return selStart_; }
    void SetSelStart(int v);
    // Characters selected from SelStart; typing replaces them.
    int SelLength() const { return selLength_; }
    void SetSelLength(int v);
    std::function<void()> onChange;
    void DefaultKeyAction(int keyAscii) override;
    // The platform control's text changed under the user's hand.
    void SyncText(std::string v);

  protected:
    std::string text_;
    bool multiLine_ = false, locked_ = false;
    int selStart_ = 0, selLength_ = 0;
};

class RichTextBox : public TextBox {
  public:
    using TextBox::TextBox;
    const char* Kind() const override { return "RichTextBox"; }
};

// Entries shared by list and combo boxes: text and 32-bit item data, optionally kept sorted
// the way the platform list box sorts.
struct ListEntry {
    std::string text;
    long itemData = 0;
};

class ListControl : public Control {
  public:
    using Control::Control;
    int ListCount() const { return static_cast<int>(items_.size()); }
    const std::string& List(int i) const;
    void SetList(int i, std::string text);
    long ItemData(int i) const;
    void SetItemData(int i, long v);
    // Inserts at position (appends when -1; sorted controls choose the place themselves).
    void AddItem(std::string text, int position = -1);
    void RemoveItem(int i);
    void Clear();
    // Replaces every entry in one change, which a renderer mirrors at once instead of entry by
    // entry (thousands of names, or placeholders of a list whose texts come from elsewhere).
    // A sorted control puts them in its order.
    void SetItems(std::vector<std::string> texts);
    int NewIndex() const { return newIndex_; }
    bool Sorted() const { return sorted_; }
    void SetSorted(bool s) { sorted_ = s; } // design-time: set before adding entries
    int ListIndex() const { return listIndex_; }
    // Raises Click when the selection changes (error 380 when out of range).
    void SetListIndex(int i);
    // A selection the user made in the platform control.
    void SyncListIndex(int i);
    const std::vector<ListEntry>& Entries() const { return items_; }
    // Prepares for n more entries without changing anything visible.
    void Reserve(size_t n) { items_.reserve(items_.size() + n); }

  protected:
    int FindPrefix(const std::string& prefix, int start, bool includeStart) const;
    virtual void ListIndexChanged() {}
    std::vector<ListEntry> items_;
    int listIndex_ = -1;
    int newIndex_ = -1;
    bool sorted_ = false;
    std::string typed_; // incremental type-ahead
    long long typedAt_ = 0;
    void TypeAhead(int keyAscii);
};

class ListBox : public ListControl {
  public:
    using ListControl::ListControl;
    const char* Kind() const override { return "ListBox"; }
    int TopIndex() const;
    void SetTopIndex(int i);
    // Rows that fit in the box (whole rows of ItemHeightTwips).
    int VisibleRows() const;
    long ItemHeightTwips() const { return itemHeight_; }
    void SetItemHeightTwips(long h) { itemHeight_ = h; }
    bool Selected(int i) const { return i == listIndex_ && i >= 0; }
    void SetSelected(int i, bool s) { SetListIndex(s ? i : (i == listIndex_ ? -1 : listIndex_)); }
    std::string Text() const { return listIndex_ >= 0 ? items_[listIndex_].text : std::string(); }
    // Selects the first entry equal to the text, ignoring case, as the platform does.
    void SetText(const std::string& t);
    void SyncTopIndex(int i) { topIndex_ = i; }
    std::function<void()> onScroll;
    void DefaultKeyAction(int keyAscii) override;

  protected:
    void ListIndexChanged() override;
    int topIndex_ = 0;
    long itemHeight_ = 195;
};

class ComboBox : public ListControl {
  public:
    using ListControl::ListControl;
    const char* Kind() const override { return "ComboBox"; }
    int Style() const { return style_; }
    void SetStyle(int s) { style_ = s; } // design-time
    // The edit text (drop-down combo) or the selected entry's text (drop-down list).
    std::string Text() const;
    // Drop-down list: selects the equal entry (error 383 when none). Drop-down: sets the edit
    // text and raises Change.
    void SetText(const std::string& t);
    void SyncText(std::string t); // the user typed into the edit part
    std::function<void()> onChange, onDropDown;
    void FireDropDown() {
        if (onDropDown) onDropDown();
    }
    void DefaultKeyAction(int keyAscii) override;

  protected:
    void ListIndexChanged() override;

  private:
    int style_ = vb::kComboDropDown;
    std::string text_;
};

class Frame : public Control {
  public:
    using Control::Control;
    const char* Kind() const override { return "Frame"; }
    bool Focusable() const override { return false; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string v);

  private:
    std::string caption_;
};

class ProgressBar : public Control {
  public:
    using Control::Control;
    const char* Kind() const override { return "ProgressBar"; }
    bool Focusable() const override { return false; }
    double Min() const { return min_; }
    double Max() const { return max_; }
    double Value() const { return value_; }
    void SetRange(double min, double max);
    // Error 380 outside Min..Max, as the platform control raises.
    void SetValue(double v);

  private:
    double min_ = 0, max_ = 100, value_ = 0;
};

class Line : public Control {
  public:
    Line(Form& form, std::string name, int index = -1);
    const char* Kind() const override { return "Line"; }
    bool Focusable() const override { return false; }
    long X1() const { return x1_; }
    long Y1() const { return y1_; }
    long X2() const { return x2_; }
    long Y2() const { return y2_; }
    void SetPoints(long x1, long y1, long x2, long y2);
    long BorderColor() const { return color_; }
    void SetBorderColor(long c);

  private:
    long x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
    long color_ = 0x80000008; // window text
};

class Timer : public Control {
  public:
    Timer(Form& form, std::string name);
    const char* Kind() const override { return "Timer"; }
    bool Focusable() const override { return false; }
    long Interval() const { return interval_; }
    void SetInterval(long ms);
    bool TimerEnabled() const { return Enabled(); }
    // Ticks only while enabled, with an interval above 0, on a loaded form.
    bool Running() const;
    std::function<void()> onTimer;
    void FireTimer() {
        if (onTimer) onTimer();
    }

  private:
    long interval_ = 0;
};

struct ColumnHeader {
    std::string key;
    std::string text;
    long width = 1440;
    long left = 0; // maintained by the list view: sum of the widths before it
};

struct ListItem {
    std::string text;
    std::string key;
    std::string tag;
    bool bold = false;
    bool selected = false;
    std::vector<std::string> subItems; // sub-item n (from 1) is subItems[n - 1]
};

// A report-style list view: column headers and items with sub-items. Indexes are 0-based.
class ListView : public Control {
  public:
    using Control::Control;
    const char* Kind() const override { return "ListView"; }
    int AddColumn(std::string key, std::string text, long width);
    void ClearColumns();
    const std::vector<ColumnHeader>& Columns() const { return columns_; }
    void SetColumnWidth(int i, long width);
    void SyncColumnWidth(int i, long width); // the user dragged a divider
    // Index of the column with the key, -1 when none.
    int ColumnByKey(const std::string& key) const;

    int AddItem(std::string text, std::string key = {});
    void ClearItems();
    int ItemCount() const { return static_cast<int>(items_.size()); }
    const ListItem& Item(int i) const;
    void SetItemText(int i, std::string text);
    void SetSubItem(int i, int sub, std::string text);
    std::string SubItem(int i, int sub) const;
    void SetItemTag(int i, std::string tag);
    void SetItemBold(int i, bool bold);
    // The single selected item, -1 when none; selecting raises ItemClick.
    int SelectedItem() const;
    void SetSelectedItem(int i);
    void SyncSelectedItem(int i);
    int TopIndex() const;
    void SyncTopIndex(int i) { topIndex_ = i; }
    // The item under the point (twips, client coordinates), -1 when none.
    int HitTest(float x, float y) const;
    long RowHeightTwips() const { return rowHeight_; }
    void SetRowHeightTwips(long h) { rowHeight_ = h; }
    long HeaderHeightTwips() const { return headerHeight_; }
    void SetHeaderHeightTwips(long h) { headerHeight_ = h; }

    std::function<void(int item)> onItemClick;
    // The user scrolled vertically, or dragged or double-clicked a column divider.
    std::function<void()> onVScroll, onColumnDivider;
    void FireVScroll() {
        if (onVScroll) onVScroll();
    }
    void FireColumnDivider() {
        if (onColumnDivider) onColumnDivider();
    }

  private:
    void Relayout();
    std::vector<ColumnHeader> columns_;
    std::vector<ListItem> items_;
    int topIndex_ = 0;
    long rowHeight_ = 255, headerHeight_ = 285;
};

// A menu entry; "-" as caption makes a separator. Top-level entries belong to the form.
class Menu {
  public:
    Menu(Form& form, std::string name, std::string caption, Menu* parent = nullptr);
    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string c);
    bool IsSeparator() const { return caption_ == "-"; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e);
    bool Checked() const { return checked_; }
    void SetChecked(bool c);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    Menu* ParentMenu() const { return parent_; }
    const std::vector<Menu*>& Children() const { return children_; }
    std::function<void()> onClick;
    void FireClick() {
        if (onClick && enabled_ && !IsSeparator()) onClick();
    }

  private:
    Form& form_;
    std::string name_, caption_;
    Menu* parent_;
    std::vector<Menu*> children_;
    bool enabled_ = true, checked_ = false, visible_ = true;
};

// A window. Derived forms declare their controls as members (constructed with *this) and
// override the Form_ event procedures they need.
class Form {
  public:
    explicit Form(std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Name() const { return name_; }

    // Lifecycle. Load realises the window and runs Form_Load; Show loads if needed; a modal
    // Show returns once the form is hidden or unloaded. Unload runs QueryUnload and Unload
    // (either can cancel) and returns whether the form went.
    void Load();
    void Show(bool modal = false);
    void Hide();
    bool Unload(int mode = vb::kFormCode);
    bool Loaded() const { return loaded_; }
    bool IsModal() const { return modal_; }
    // The form's window handle; 0 while it is not loaded.
    std::uintptr_t hWnd() const { return Host().HandleOf(*this); }

    // Events.
    virtual void Form_Initialize() {}
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Deactivate() {}
    virtual void Form_GotFocus() {}
    // A click on the window itself: its client area outside every control, or a disabled one.
    virtual void Form_Click() {}
    virtual void Form_Resize() {}
    virtual void Form_QueryUnload(int& /*cancel*/, int /*unloadMode*/) {}
    virtual void Form_Unload(int& /*cancel*/) {}

    // Properties. Width and Height are the outer size; ScaleWidth/ScaleHeight the client area.
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string c);
    long Left() const { return left_; }
    long Top() const { return top_; }
    long Width() const { return width_; }
    long Height() const { return height_; }
    void Move(long left, long top, long width, long height);
    void SetLeft(long v) { Move(v, top_, width_, height_); }
    void SetTop(long v) { Move(left_, v, width_, height_); }
    void SetWidth(long v) { Move(left_, top_, v, height_); }
    void SetHeight(long v) { Move(left_, top_, width_, v); }
    long ScaleWidth() const;
    long ScaleHeight() const;
    void SetClientSize(long width, long height);
    // The renderer reports a move or resize made by the user.
    void SyncGeometry(long left, long top, long width, long height);

    int BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int s); // design-time: set before Load
    bool ControlBox() const { return controlBox_; }
    void SetControlBox(bool v) { controlBox_ = v; }
    bool MinButton() const { return minButton_; }
    void SetMinButton(bool v) { minButton_ = v; }
    bool MaxButton() const { return maxButton_; }
    void SetMaxButton(bool v) { maxButton_ = v; }
    bool ShowInTaskbar() const { return showInTaskbar_; }
    void SetShowInTaskbar(bool v) { showInTaskbar_ = v; }
    // Centre on the screen when first shown (else Left/Top as set).
    bool CenterOnScreen() const { return center_; }
    void SetCenterOnScreen(bool v) { center_ = v; }
    bool TopMost() const { return topMost_; }
    void SetTopMost(bool v);
    int Icon() const { return icon_; } // resource id, 0 for none
    void SetIcon(int resourceId);
    bool Visible() const { return visible_; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    int MousePointer() const { return mousePointer_; }
    void SetMousePointer(int p);

    const std::vector<Control*>& Controls() const { return controls_; }
    Control* FindControl(const std::string& name, int index = -1) const;
    const std::vector<Menu*>& Menus() const { return menus_; }
    const std::vector<Menu*>& AllMenus() const { return allMenus_; }
    Control* ActiveControl() const { return active_; }
    CommandButton* DefaultButton() const;
    CommandButton* CancelButton() const;
    // Controls that can take the focus, in tab order.
    std::vector<Control*> TabOrder() const;

    // Keyboard handling shared by every host: Enter presses the focused or default button, Esc
    // the cancel button, Tab moves the focus. Returns whether the key was consumed.
    bool DialogKey(int keyCode, int shift);
    // The form became the program's active window (raises Activate once per activation).
    void Activated();
    // The control now holds the keyboard focus (raises LostFocus and GotFocus).
    void FocusChanged(Control* now);

    // Renderer attachment: opaque handle owned by the host.
    void* HostData() const { return hostData_; }
    void SetHostData(void* d) { hostData_ = d; }

  private:
    friend class Control;
    friend class Menu;
    void Register(Control* c);
    void Unregister(Control* c);
    void RegisterMenu(Menu* m);
    void Changed(FormProp p);

    std::string name_;
    std::string caption_;
    long left_ = 0, top_ = 0, width_ = 4800, height_ = 3600;
    int borderStyle_ = vb::kSizable;
    bool controlBox_ = true, minButton_ = true, maxButton_ = true, showInTaskbar_ = true;
    bool center_ = false, topMost_ = false, enabled_ = true;
    int icon_ = 0;
    int mousePointer_ = vb::kDefault;
    bool initialized_ = false, loaded_ = false, visible_ = false, modal_ = false;
    bool unloading_ = false;
    std::vector<Control*> controls_;
    std::vector<Menu*> menus_, allMenus_;
    Control* active_ = nullptr;
    void* hostData_ = nullptr;
};

// The program's forms and screen.
namespace screen {
double TwipsPerPixelX();
double TwipsPerPixelY();
int MousePointer();
void SetMousePointer(int p);
Form* ActiveForm();
void SetActiveForm(Form* f); // hosts only
// Loaded forms, oldest first.
const std::vector<Form*>& LoadedForms();
} // namespace screen

// Pixel/twips conversion at the screen's scale, rounded to the nearest pixel.
long TwipsToPixelsX(long twips);
long TwipsToPixelsY(long twips);

} // namespace tamber::forms
