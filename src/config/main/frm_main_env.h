#pragma once
// The configuration window over an in-memory ACT!, settings folder and shell, with scripted
// message boxes and a recording list builder.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "config/main/frm_main.h"
#include "forms/runtime/headless.h"
#include "ini/ini_engine.h"
#include "inilib/inilib.h"
#include "module1/module1.h"
#include "ports/memory/fake_shell.h"
#include "ports/memory/memory_act.h"
#include "testing/program_test.h"

namespace tamber {

inline actdb::Field TestField(int16_t id, std::string label, int16_t type,
                              std::vector<std::string> popup = {}) {
    actdb::Field f;
    f.id = id;
    f.label = std::move(label);
    f.type = type;
    f.hasPopup = !popup.empty();
    f.popup = std::move(popup);
    return f;
}

inline actdb::Database ConfigDb() {
    actdb::Database db;
    db.fields = {TestField(12, "City", actdb::kCharacter, {"Lyon"}),
                 TestField(25, "Company", actdb::kCharacter),
                 TestField(50, "Region", actdb::kCharacter, {"North", "South", "East"}),
                 TestField(51, "Territory", actdb::kCharacter),
                 TestField(60, "Notes", actdb::kMemo)};
    db.contacts = {{"C00000000001", {{50, "South"}}}};
    db.groups = {{"G00000000001", "Customers", "", {}},
                 {"G00000000002", "Suppliers", "", {}},
                 {"S00000000001", "Gold", "G00000000001", {}}};
    return db;
}

class ConfigWindowTest : public testing::ProgramTest {
  protected:
    act::MemoryAct act{ConfigDb()};
    forms::HeadlessHost host;
    FakeShell shell;
    FakeSystemMetrics metrics;
    FakeWindowOrder order;
    std::vector<std::tuple<int, std::string, bool, bool>> builds;
    std::string targetField;
    std::function<void()> showStaticLists; // empty: the editor is not available
    std::unique_ptr<frmMain> form;

    void SetUp() override {
        ProgramTest::SetUp();
        Sys().automation = &act.automation();
        Module1& m = M();
        m.ActApp = act.automation().CreateApp();
        m.ActView = m.ActApp->Views()->Create(1, "CV");
        SetActiveField(51);
    }
    void TearDown() override {
        form.reset();
        ProgramTest::TearDown();
    }
    void SetActiveField(int16_t id) {
        act.SetCurrentField(id);
        M().FieldId = id;
        M().FieldIdText = std::to_string(id);
    }
    frmMain& Open() {
        frmMain::Deps deps;
        deps.refreshFile = [this](int16_t type, const std::string& ref, bool company,
                                  bool refresh) {
            builds.emplace_back(type, ref, company, refresh);
        };
        deps.targetField = [this] { return targetField; };
        deps.showStaticLists = showStaticLists;
        deps.shell = &shell;
        deps.metrics = &metrics;
        deps.windowOrder = &order;
        deps.version = "1.0.0";
        form = std::make_unique<frmMain>(std::move(deps));
        form->Show();
        return *form;
    }
    static void Write(const std::string& section, const std::string& key, const std::string& v) {
        IniLib::WriteKeyValue(section, key, v, M().IniFile);
    }
    static std::string Read(const std::string& section, const std::string& key) {
        return IniLib::GetKeyValue(section, key, "<none>", "", "", M().IniFile);
    }
    static bool HasSection(const std::string& section) {
        return IniLib::GetSections(M().IniFile).find(std::string(1, '\0') + section + '\0') !=
               std::string::npos;
    }
    // Stores field 51 as depending on Region (50) with the given rows.
    static void StoreReferenceList(const std::vector<std::pair<std::string, std::string>>& rows) {
        Write("51", "Type", "3");
        Write("51", "Reference", "50");
        for (const auto& [value, setting] : rows)
            Write("51-Values", value, setting);
    }
    int IndexOf(const forms::ComboBox& c, const std::string& text) {
        for (int i = 0; i < c.ListCount(); ++i)
            if (c.List(i) == text) return i;
        ADD_FAILURE() << "no entry " << text;
        return -1;
    }
    void Pick(forms::ComboBox& c, const std::string& text) { host.ClickItem(c, IndexOf(c, text)); }
    // A click on the cell of the row and column (1 type ... 4 display).
    void ClickCell(int row, int column) {
        frmMain& f = *form;
        f.lvwValues.SetSelectedItem(row);
        const auto& h = f.lvwValues.Columns()[static_cast<size_t>(column)];
        const long rowTop = f.lvwValues.HeaderHeightTwips() + row * f.lvwValues.RowHeightTwips();
        host.MouseUp(f.lvwValues, forms::vb::kLeftButton, 0, static_cast<float>(h.left + 100),
                     static_cast<float>(rowTop + 60));
    }
    std::vector<std::string> Entries(const forms::ComboBox& c) {
        std::vector<std::string> out;
        for (const auto& e : c.Entries())
            out.push_back(e.text);
        return out;
    }
    std::vector<std::string> Cells(int row) {
        std::vector<std::string> out;
        for (int col = 1; col <= 4; ++col)
            out.push_back(form->lvwValues.SubItem(row, col));
        return out;
    }
    std::string Tag(int row) { return form->lvwValues.Item(row).tag; }
};

using Strings = std::vector<std::string>;

} // namespace tamber
