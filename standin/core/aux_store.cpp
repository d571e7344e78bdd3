#include "core/aux_store.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tamber::standin {
namespace {

bool SameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// Texts end up as INI lines: a line break would split a registration, a bracket in a name
// would open a section.
bool Storable(const std::string& s) {
    return s.find_first_of("\r\n") == std::string::npos;
}

bool ValidView(int view) {
    return view >= aux::kFirstView && view <= aux::kLastView;
}

} // namespace

const AuxCommand* AuxStore::Find(const std::string& name) const {
    for (const auto& c : commands_)
        if (SameName(c.name, name)) return &c;
    return nullptr;
}

long AuxStore::Add(const AuxCommand& command) {
    const std::string* texts[] = {&command.name,     &command.program, &command.folder,
                                  &command.menuText, &command.toolTip, &command.icon,
                                  &command.icon32};
    for (const std::string* t : texts)
        if (!Storable(*t)) return aux::kBadArgument;
    if (command.name.empty() || command.program.empty() ||
        command.name.find_first_of("[]=") != std::string::npos)
        return aux::kBadArgument;
    auto it = std::find_if(commands_.begin(), commands_.end(),
                           [&](const AuxCommand& c) { return SameName(c.name, command.name); });
    if (it != commands_.end())
        *it = command;
    else
        commands_.push_back(command);
    Persist();
    return aux::kOk;
}

bool AuxStore::Has(const Placement& where, int view, const std::string& name) const {
    if (!ValidView(view)) return false;
    const auto& names = where[view - 1];
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return SameName(n, name); });
}

bool AuxStore::InToolbar(int view, const std::string& name) const {
    return Has(toolbar_, view, name);
}
bool AuxStore::InMenu(int view, const std::string& name) const {
    return Has(menu_, view, name);
}

long AuxStore::Place(Placement& where, int view, const std::string& name) {
    if (!ValidView(view)) return aux::kBadView;
    const AuxCommand* command = Find(name);
    if (!command) return aux::kUnknownCommand;
    if (!Has(where, view, name)) where[view - 1].push_back(command->name);
    Persist();
    return aux::kOk;
}

long AuxStore::Remove(Placement& where, int view, const std::string& name) {
    if (!ValidView(view)) return aux::kBadView;
    auto& names = where[view - 1];
    auto it = std::find_if(names.begin(), names.end(),
                           [&](const std::string& n) { return SameName(n, name); });
    if (it == names.end()) return aux::kNotPresent;
    names.erase(it);
    Persist();
    return aux::kOk;
}

std::vector<AuxCommand> AuxStore::Listed(const Placement& where, int view) const {
    std::vector<AuxCommand> out;
    if (!ValidView(view)) return out;
    for (const auto& n : where[view - 1])
        if (const AuxCommand* c = Find(n)) out.push_back(*c);
    return out;
}

std::string AuxStore::Serialize() const {
    std::ostringstream out;
    for (const auto& c : commands_) {
        out << "[Command " << c.name << "]\r\n"
            << "Program=" << c.program << "\r\nFolder=" << c.folder << "\r\nMenuText=" << c.menuText
            << "\r\nToolTip=" << c.toolTip << "\r\nIcon=" << c.icon << "\r\nIcon32=" << c.icon32
            << "\r\nFlags=" << c.flags << "\r\n";
    }
    for (int v = aux::kFirstView; v <= aux::kLastView; ++v) {
        if (toolbar_[v - 1].empty() && menu_[v - 1].empty()) continue;
        out << "[View " << v << "]\r\n";
        for (const auto& n : toolbar_[v - 1])
            out << "Toolbar=" << n << "\r\n";
        for (const auto& n : menu_[v - 1])
            out << "Menu=" << n << "\r\n";
    }
    return out.str();
}

AuxStore AuxStore::Parse(const std::string& text) {
    AuxStore store;
    AuxCommand* command = nullptr;
    int view = 0;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            std::string section = line.substr(1, line.size() - 2);
            command = nullptr;
            view = 0;
            if (section.rfind("Command ", 0) == 0 && section.size() > 8) {
                store.commands_.push_back(AuxCommand{});
                command = &store.commands_.back();
                command->name = section.substr(8);
            } else if (section.rfind("View ", 0) == 0) {
                int v = std::atoi(section.c_str() + 5);
                if (ValidView(v)) view = v;
            }
            continue;
        }
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (command) {
            if (key == "Program")
                command->program = value;
            else if (key == "Folder")
                command->folder = value;
            else if (key == "MenuText")
                command->menuText = value;
            else if (key == "ToolTip")
                command->toolTip = value;
            else if (key == "Icon")
                command->icon = value;
            else if (key == "Icon32")
                command->icon32 = value;
            else if (key == "Flags")
                command->flags = std::atol(value.c_str());
        } else if (view) {
            if (key == "Toolbar" && !store.Has(store.toolbar_, view, value))
                store.toolbar_[view - 1].push_back(value);
            else if (key == "Menu" && !store.Has(store.menu_, view, value))
                store.menu_[view - 1].push_back(value);
        }
    }
    // A registration without its program cannot be started: drop it, as Add would refuse it.
    std::erase_if(store.commands_, [](const AuxCommand& c) { return c.program.empty(); });
    return store;
}

AuxStore AuxStore::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    AuxStore store;
    if (in) {
        std::ostringstream text;
        text << in.rdbuf();
        store = Parse(text.str());
    }
    store.file_ = path;
    return store;
}

void AuxStore::Persist() const {
    if (file_.empty()) return;
    // Written beside and renamed, so a crash never leaves half a registration file.
    std::string temp = file_ + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << Serialize();
        if (!out.flush()) throw std::runtime_error("cannot write " + temp);
    }
    std::remove(file_.c_str());
    if (std::rename(temp.c_str(), file_.c_str()) != 0)
        throw std::runtime_error("cannot replace " + file_);
}

} // namespace tamber::standin
