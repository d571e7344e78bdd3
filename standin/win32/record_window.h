#pragma once
// The stand-in's main window: one contact record as labelled boxes, record navigation, and the
// toolbar buttons and Tools-menu entries of the commands registered for the Contacts view.
#include <windows.h>

#include <commctrl.h>

#include <deque>
#include <string>
#include <vector>

#include "core/automation.h"

namespace tamber::standin {

class RecordWindow : public Listener {
  public:
    explicit RecordWindow(Standin& standin) : standin_(standin) {}
    bool Create(HINSTANCE instance);
    HWND hwnd() const { return hwnd_; }

    // Listener
    void FieldSet(int16_t field, const std::string& text) override;
    void DatabaseClosing() override;
    void DatabaseChanged() override;

    // Opens a database file; a failure is shown in the status line and journaled.
    bool OpenDatabase(const std::string& path, std::string& error);

    // Test operations (actctl); each returns false with a reason in reply.
    bool Command(const std::vector<std::string>& fields, std::string& reply);

    // Command identifiers of the registered Tools-menu entries and toolbar buttons.
    static constexpr int kIdMenuCommand = 200, kIdToolbarCommand = 300, kMaxCommands = 90;

  private:
    static constexpr UINT kRunPending = WM_APP + 1;
    struct Request {
        ULONG_PTR tag;
        std::string text;
        HWND replyTo;
    };
    struct FieldBox {
        int16_t id;
        HWND label, box;
    };
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void OnCommand(int id, int code, HWND from);
    void OnNotify(NMHDR* hdr);
    void BuildFields();
    void BuildCommands();
    void ShowRecord();
    void SaveFocusedBox();
    void Navigate(int where);
    bool StartRegistered(size_t index, bool fromMenu, std::string& reply);
    FieldBox* BoxOf(HWND box);
    FieldBox* BoxOf(int16_t id);
    void UpdateStatus();

    Standin& standin_;
    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr, toolbar_ = nullptr, status_ = nullptr;
    HMENU tools_ = nullptr;
    HIMAGELIST images_ = nullptr;
    HFONT font_ = nullptr;
    std::vector<FieldBox> boxes_;
    std::vector<AuxCommand> toolbarCommands_, menuCommands_;
    HANDLE gdbLock_ = INVALID_HANDLE_VALUE;
    std::string lastStarted_;
    std::deque<Request> pending_;  // control-channel requests not yet run
    HWND focusWhenLeft_ = nullptr; // given back when the window is activated again
};

} // namespace tamber::standin
