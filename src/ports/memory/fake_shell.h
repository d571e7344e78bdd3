#pragma once
// Shell, SystemMetrics and WindowOrder for tests: what was asked is recorded; files named as
// missing fail to open.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ports/shell.h"
#include "ports/system_metrics.h"
#include "ports/window_order.h"

namespace tamber {

class FakeShell : public Shell {
  public:
    struct Opened {
        std::string verb, file, folder;
        WindowHandle owner = 0;
        bool operator==(const Opened&) const = default;
    };
    std::vector<Opened> opened;
    std::set<std::string> missing;

    bool Open(const std::string& verb, const std::string& file, const std::string& folder,
              WindowHandle owner) override;
};

// A classic desktop: fixed frames 3 pixels wide.
class FakeSystemMetrics : public SystemMetrics {
  public:
    std::map<int, int> values{{metric::kFixedFrameWidth, 3}, {metric::kFixedFrameHeight, 3}};
    int Metric(int index) override;
};

class FakeWindowOrder : public WindowOrder {
  public:
    std::vector<std::pair<WindowHandle, Rect>> raised;
    void BringToTop(WindowHandle window, const Rect& place) override;
};

} // namespace tamber
