#include "ports/memory/fake_shell.h"

namespace tamber {

bool FakeShell::Open(const std::string& verb, const std::string& file, const std::string& folder,
                     WindowHandle owner) {
    if (missing.count(file)) return false;
    opened.push_back({verb, file, folder, owner});
    return true;
}

int FakeSystemMetrics::Metric(int index) {
    auto it = values.find(index);
    return it == values.end() ? 0 : it->second;
}

void FakeWindowOrder::BringToTop(WindowHandle window, const Rect& place) {
    raised.emplace_back(window, place);
}

} // namespace tamber
