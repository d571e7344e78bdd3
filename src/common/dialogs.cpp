#include "ports/dialogs.h"

#include <cstdio>

namespace tamber {
namespace {

// Until a program installs its own, messages go to stderr and are answered with the default.
class StderrDialogs final : public Dialogs {
  public:
    int MsgBox(const std::string& prompt, int style, const std::string& title) override {
        std::fprintf(stderr, "[%s] %s\n", title.c_str(), prompt.c_str());
        switch (style & 7) {
        case mb::kYesNo:
        case mb::kYesNoCancel: return (style & mb::kDefaultButton2) ? mb::kNo : mb::kYes;
        case mb::kOkCancel: return (style & mb::kDefaultButton2) ? mb::kCancel : mb::kOk;
        default: return mb::kOk;
        }
    }
};

StderrDialogs g_stderr_dialogs;
Dialogs* g_dialogs = &g_stderr_dialogs;
std::string g_title = "Tamberlist";

} // namespace

Dialogs& AppDialogs() { return *g_dialogs; }
void SetAppDialogs(Dialogs* dialogs) { g_dialogs = dialogs ? dialogs : &g_stderr_dialogs; }
const std::string& AppTitle() { return g_title; }
void SetAppTitle(const std::string& title) { g_title = title; }

} // namespace tamber
