#pragma once
// Message boxes. Both programs show them through this port so that tests can script the
// answers and read back what a user would have seen.
#include <string>

namespace tamber {

// VB's MsgBox style values (buttons + icon + default button), combined by addition.
namespace mb {
constexpr int kOkOnly = 0;
constexpr int kOkCancel = 1;
constexpr int kAbortRetryIgnore = 2;
constexpr int kYesNoCancel = 3;
constexpr int kYesNo = 4;
constexpr int kRetryCancel = 5;
constexpr int kCritical = 16;
constexpr int kQuestion = 32;
constexpr int kExclamation = 48;
constexpr int kInformation = 64;
constexpr int kDefaultButton2 = 256;
constexpr int kDefaultButton3 = 512;
// Answers.
constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kAbort = 3;
constexpr int kRetry = 4;
constexpr int kIgnore = 5;
constexpr int kYes = 6;
constexpr int kNo = 7;
} // namespace mb

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Shows a modal message box and returns the answer (mb::kOk, mb::kYes, ...).
    virtual int MsgBox(const std::string& prompt, int style, const std::string& title) = 0;
};

// The process's dialogs and title; each program sets them once at start, tests per fixture.
Dialogs& AppDialogs();
void SetAppDialogs(Dialogs* dialogs);
const std::string& AppTitle();
void SetAppTitle(const std::string& title);

} // namespace tamber
