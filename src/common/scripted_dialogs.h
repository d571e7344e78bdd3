#pragma once
// A Dialogs for tests: records every message box and answers from a script (default: the
// box's default button). Install it with ScopedDialogs for the length of a test.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ports/dialogs.h"

namespace tamber {

struct ShownMessage {
    std::string prompt;
    int style = 0;
    std::string title;
};

class ScriptedDialogs : public Dialogs {
  public:
    std::vector<ShownMessage> shown;
    std::deque<int> answers;

    int MsgBox(const std::string& prompt, int style, const std::string& title) override {
        shown.push_back({prompt, style, title});
        if (!answers.empty()) {
            int a = answers.front();
            answers.pop_front();
            return a;
        }
        switch (style & 7) {
        case mb::kYesNo:
        case mb::kYesNoCancel:
            return (style & mb::kDefaultButton2) ? mb::kNo : mb::kYes;
        case mb::kOkCancel:
            return (style & mb::kDefaultButton2) ? mb::kCancel : mb::kOk;
        default:
            return mb::kOk;
        }
    }
};

// Message boxes that let the caller run code while the box is "open", as a real modal box
// lets timers go on firing.
class ReentrantDialogs : public ScriptedDialogs {
  public:
    std::function<void()> whileOpen;
    int MsgBox(const std::string& prompt, int style, const std::string& title) override {
        int answer = ScriptedDialogs::MsgBox(prompt, style, title);
        if (whileOpen && !open_) {
            open_ = true; // a box stacked on this one only counts, so a fault cannot recurse
            whileOpen();
            open_ = false;
        }
        return answer;
    }

  private:
    bool open_ = false;
};

class ScopedDialogs {
  public:
    explicit ScopedDialogs(Dialogs& d) { SetAppDialogs(&d); }
    ~ScopedDialogs() { SetAppDialogs(nullptr); }
    ScopedDialogs(const ScopedDialogs&) = delete;
    ScopedDialogs& operator=(const ScopedDialogs&) = delete;
};

} // namespace tamber
