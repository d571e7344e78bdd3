#pragma once
// Auxiliary commands: programs registered to be started from the toolbar or the Tools menu of
// a view. The registrations persist in a small INI-style text (the stand-in keeps it in
// actstandin.ini beside its executable) and are read back at every start.
#include <string>
#include <vector>

namespace tamber::standin {

struct AuxCommand {
    std::string name;     // key of the registration, compared without regard to ASCII case
    std::string program;  // full path of the executable
    std::string folder;   // working folder it is started in
    std::string menuText; // Tools-menu entry
    std::string toolTip;  // toolbar button tip
    std::string icon;     // small icon file
    std::string icon32;   // large icon file
    long flags = 0;
};

// Results of the registration members (0 is success).
namespace aux {
constexpr long kOk = 0;
constexpr long kBadArgument = 1;    // empty name or program, or a line break / bracket in a text
constexpr long kUnknownCommand = 2; // the name is not registered
constexpr long kBadView = 3;        // view number outside 1..6
constexpr long kNotPresent = 4;     // removal of a button or entry that is not there
constexpr int kFirstView = 1, kLastView = 6;
} // namespace aux

class AuxStore {
  public:
    bool Exists(const std::string& name) const { return Find(name) != nullptr; }
    // Every registration, in the order first registered.
    const std::vector<AuxCommand>& commands() const { return commands_; }
    const AuxCommand* Find(const std::string& name) const;
    // Registers, or replaces the registration of the same name.
    long Add(const AuxCommand& command);

    bool InToolbar(int view, const std::string& name) const;
    bool InMenu(int view, const std::string& name) const;
    long AddToToolbar(int view, const std::string& name) { return Place(toolbar_, view, name); }
    long AddToMenu(int view, const std::string& name) { return Place(menu_, view, name); }
    long RemoveFromToolbar(int view, const std::string& name) {
        return Remove(toolbar_, view, name);
    }
    long RemoveFromMenu(int view, const std::string& name) { return Remove(menu_, view, name); }

    // The commands of a view's toolbar or Tools menu, in the order they were added.
    std::vector<AuxCommand> Toolbar(int view) const { return Listed(toolbar_, view); }
    std::vector<AuxCommand> Menu(int view) const { return Listed(menu_, view); }

    std::string Serialize() const;
    // Reads Serialize's text; unknown sections and keys are skipped.
    static AuxStore Parse(const std::string& text);

    // Persistence: with a file set, every successful change is written to it at once.
    void SetFile(std::string path) { file_ = std::move(path); }
    static AuxStore Load(const std::string& path); // a missing file gives an empty store

  private:
    using Placement = std::vector<std::vector<std::string>>; // per view (index 0 = view 1)
    long Place(Placement& where, int view, const std::string& name);
    long Remove(Placement& where, int view, const std::string& name);
    bool Has(const Placement& where, int view, const std::string& name) const;
    std::vector<AuxCommand> Listed(const Placement& where, int view) const;
    void Persist() const;

    std::vector<AuxCommand> commands_;
    Placement toolbar_ = Placement(aux::kLastView);
    Placement menu_ = Placement(aux::kLastView);
    std::string file_;
};

} // namespace tamber::standin
