#pragma once
// A FolderChooser for tests: answers from a script (cancel when it runs out) and records the
// owners it was shown for.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ports/folder_chooser.h"

namespace tamber {

class ScriptedFolderChooser : public FolderChooser {
  public:
    std::deque<std::optional<std::string>> answers;
    std::vector<WindowHandle> owners;

    std::optional<std::string> ChooseFolder(WindowHandle owner) override {
        owners.push_back(owner);
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace tamber
