// frmMain's reference-value table: one row per value of the reference field's ACT! drop-down
// list plus the default row, each row's choices held in its tag as a value setting, and the
// floating combo box that edits one cell at a time.
#include <algorithm>
#include <cmath>
#include <variant>
#include <vector>

#include "common/procedure.h"
#include "config/enumeration/populate_act_lists.h"
#include "config/fieldsettings/field_settings.h"
#include "config/main/frm_main.h"
#include "config/main/frm_main_names.h"
#include "module1/module1.h"
#include "ports/act.h"
#include "ports/dialogs.h"
#include "ports/system_metrics.h"
#include "staticlists/listfiles/ansi_case.h"
#include "staticlists/listfiles/static_lists.h"

namespace tamber {

namespace {

constexpr char kForm[] = "frmMain";
// Columns of the table (sub-item numbers) and the editor's choices.
constexpr int kTypeColumn = 1, kDetailsColumn = 2, kRebuildColumn = 3, kDisplayColumn = 4;
constexpr const char* kColumnKeys[] = {"Type", "Details", "Rebuild", "Display"};
// The editor keeps clear of the table's vertical scroll bar.
constexpr long kScrollBarAllowance = 365;
constexpr long kCellInset = 50;

// Field n (from 1) of a value setting, or VbError 9 when the text has fewer fields.
std::string& FieldOf(fs::ValueSetting& setting, std::string_view text, int n) {
    const auto fields = 1 + std::count(text.begin(), text.end(), '|');
    if (n < 1 || n > 4 || n > fields)
        throw VbError(err::kSubscriptOutOfRange, "Subscript out of range");
    std::string* field[] = {&setting.type, &setting.details, &setting.rebuild, &setting.display};
    return *field[n - 1];
}

} // namespace

std::string frmMain::Extract_Tag(const std::string& tag, int n) {
    fs::ValueSetting setting = fs::SplitValueSetting(tag);
    return FieldOf(setting, tag, n);
}

std::string frmMain::Modify_Tag(const std::string& tag, int n, const std::string& text) {
    fs::ValueSetting setting = fs::SplitValueSetting(tag);
    FieldOf(setting, tag, n) = text;
    return fs::ComposeValueSetting(setting);
}

// The list view's own notifications stand for a window-procedure hook: while hooked, a
// vertical scroll or a column-divider drag hides the editor.
void frmMain::Hook() {
    hooked_ = true;
}
void frmMain::Unhook() {
    hooked_ = false;
}
void frmMain::TableScrolled() {
    if (hooked_ && cboFloating.Visible()) HideFloating();
}

void frmMain::Fill_lvwValues() {
    Sub(kForm, "Fill_lvwValues", [&](Statement& at) {
        at();
        const auto reference =
            static_cast<std::int16_t>(cboReference.ItemData(cboReference.ListIndex()));
        std::string value;
        at();
        const std::string target = deps_.targetField ? deps_.targetField() : std::string();
        if (!target.empty()) value = M().ActView->GetField(target);
        at();
        pop::Populate_lvwPopupList(lvwValues, reference, value);
    });
}

void frmMain::Initialize_lvwValues() {
    Sub(kForm, "Initialize_lvwValues", [&](Statement& at) {
        if (!lvwValues.Visible()) return;
        Module1& m = M();
        for (int i = 0; i < lvwValues.ItemCount(); ++i) {
            at();
            lvwValues.SetItemTag(i, fs::ReadRowSetting(m.FieldIdText, lvwValues.Item(i).text));
            at();
            DrawRow(i);
        }
    });
}

std::string frmMain::GroupCaption(std::string id) {
    // A row saved before its group was chosen has no name to show.
    if (id.empty()) return "";
    // As the profile file gives it back: without trailing blanks, then ACT!'s one blank.
    while (!id.empty() && id.back() == ' ')
        id.pop_back();
    if (id.size() != 12) id += ' ';
    act::Group& group = *M().ActGroup;
    // A group deleted in ACT! since the row was saved has no name either.
    group.GoTo(id);
    if (group.isEOF()) return "";
    std::string name = group.Data(act::kGroupNameField);
    const std::string parent = group.GetParent();
    if (!parent.empty()) {
        group.GoTo(parent);
        if (!group.isEOF()) name = group.Data(act::kGroupNameField) + ": " + name;
    }
    return name;
}

void frmMain::DrawRow(int row) {
    const fs::ValueSetting s = fs::SplitValueSetting(lvwValues.Item(row).tag);
    const std::string& t = s.type;
    std::string cells[4]; // a cleared row, or a type this version does not know, shows nothing
    if (t.size() == 1 && t[0] >= '0' && t[0] <= '3') {
        cells[0] = TypeNames[t[0] - '0'];
        if (t == "0") {
            cells[1] = "N/A";
            cells[2] = Get_Tag_Caption(3, row);
            cells[3] = "N/A";
        } else if (t == "1" || t == "2") {
            cells[1] = GroupCaption(s.details);
            cells[2] = Get_Tag_Caption(3, row);
            cells[3] = t == "2" ? Get_Tag_Caption(4, row) : "N/A";
        } else {
            cells[1] = s.details;
            cells[2] = "N/A";
            cells[3] = "N/A";
        }
    }
    for (int column = kTypeColumn; column <= kDisplayColumn; ++column)
        lvwValues.SetSubItem(row, column, cells[column - kTypeColumn]);
}

void frmMain::StaticListRenamed(const std::string& from, const std::string& to) {
    Sub(kForm, "StaticListRenamed", [&](Statement& at) {
        // List names are file names: one list whatever the letter case.
        const std::string key = ansi::Upper(from);
        for (int i = 0; i < lvwValues.ItemCount(); ++i) {
            fs::ValueSetting s = fs::SplitValueSetting(lvwValues.Item(i).tag);
            if (s.type != "3" || ansi::Upper(s.details) != key) continue;
            at();
            s.details = to;
            lvwValues.SetItemTag(i, fs::ComposeValueSetting(s));
            DrawRow(i);
        }
    });
}

std::string frmMain::Get_Tag_Caption(int n, int row) {
    return Function(kForm, "Get_Tag_Caption", [&](Statement&) -> std::string {
        const std::string v = Extract_Tag(lvwValues.Item(row).tag, n);
        if (v == "0") return n == 3 ? "Manual" : "Contact";
        if (v == "1") return n == 3 ? "Auto" : "Company";
        return "";
    });
}

void frmMain::lvwvalues_MouseUp(int /*button*/, int /*shift*/, float x, float y) {
    Sub(kForm, "lvwvalues_MouseUp", [&](Statement& at) {
        if (lvwValues.ItemCount() == 0) {
            AppDialogs().MsgBox("The field dropdown list is empty!\rEither select another field "
                                "or populate the list through ACT! Edit/Define fields menu.",
                                mb::kCritical, AppTitle());
            return;
        }
        at();
        const int row = lvwValues.SelectedItem();
        const std::string t = row >= 0 ? Extract_Tag(lvwValues.Item(row).tag, 1) : std::string();
        HideFloating();
        EditColumn_ = 0;
        if (lvwValues.HitTest(x, y) < 0 || row < 0) return;

        at();
        int column = 0;
        for (int k = 0; k < 4 && column == 0; ++k) {
            const ColumnHeader& h = lvwValues.Columns()[lvwValues.ColumnByKey(kColumnKeys[k])];
            if (h.left <= x && x <= h.left + h.width) column = k + 1;
        }
        fillingFloating_ = true;
        switch (column) {
        case kTypeColumn:
            EditColumn_ = kTypeColumn;
            Populate_cboFloating(kTypeColumn, "");
            break;
        case kDetailsColumn:
            if (t.empty() || t == "0")
                column = 0;
            else {
                EditColumn_ = kDetailsColumn;
                Populate_cboFloating(kDetailsColumn, t);
            }
            break;
        case kRebuildColumn:
            if (t.empty() || t == "3")
                column = 0;
            else {
                EditColumn_ = kRebuildColumn;
                cboFloating.Clear();
                cboFloating.AddItem("Manual");
                cboFloating.AddItem("Auto");
            }
            break;
        case kDisplayColumn:
            if (t != "2")
                column = 0;
            else {
                EditColumn_ = kDisplayColumn;
                cboFloating.Clear();
                cboFloating.AddItem("Company");
                cboFloating.AddItem("Contact");
            }
            break;
        default:
            break;
        }
        fillingFloating_ = false;
        if (column == 0) return;

        at();
        // Over the cell: the table's own border is one fixed frame less a pixel.
        const ColumnHeader& h = lvwValues.Columns()[column];
        const int frameY = deps_.metrics ? deps_.metrics->Metric(metric::kFixedFrameHeight) : 3;
        const int frameX = deps_.metrics ? deps_.metrics->Metric(metric::kFixedFrameWidth) : 3;
        const long frameHeight = std::lround((frameY - 1) * screen::TwipsPerPixelY());
        const long frameWidth = std::lround((frameX - 1) * screen::TwipsPerPixelX());
        const long rowTop = lvwValues.HeaderHeightTwips() +
                            (row - lvwValues.TopIndex()) * lvwValues.RowHeightTwips();
        const long top = lvwValues.Top() + rowTop + frameHeight;
        const long left = lvwValues.Left() + h.left + kCellInset + frameWidth;
        const long width = h.left + h.width < lvwValues.Width() - kScrollBarAllowance
                               ? h.width - kCellInset
                               : lvwValues.Width() - kScrollBarAllowance - h.left - kCellInset;
        cboFloating.Move(left, top, width, cboFloating.Height());

        at();
        fillingFloating_ = true;
        const int index = Find_Index(lvwValues.SubItem(row, column));
        cboFloating.SetListIndex(index);
        fillingFloating_ = false;
        cboFloating.SetVisible(true);
    });
    fillingFloating_ = false;
}

void frmMain::Populate_cboFloating(int column, const std::string& type) {
    Sub(kForm, "Populate_cboFloating", [&](Statement& at) {
        cboFloating.Clear();
        at();
        if (column == kTypeColumn) {
            const int row = lvwValues.SelectedItem();
            const bool typed = row >= 0 && !lvwValues.SubItem(row, kTypeColumn).empty();
            for (int k = 0; k < (typed ? 5 : 4); ++k)
                cboFloating.AddItem(TypeNames[k]);
        } else if (column == kDetailsColumn) {
            if (type == "1") {
                pop::Populate_Combo_w_Groups(cboFloating, cboFantome1, "", false,
                                             pop::kGroupsWithSubgroups);
            } else if (type == "2") {
                pop::Populate_Combo_w_Groups(cboFloating, cboFantome1, "", false, pop::kAllGroups);
            } else if (type == "3") {
                Populate_cboStaticLists(cboFloating, "");
            }
        }
    });
}

void frmMain::Populate_cboStaticLists(ComboBox& combo, const std::string& name) {
    Sub(kForm, "Populate_cboStaticLists", [&](Statement& at) {
        at();
        staticlists::ExistingLists lists = staticlists::Get_Existing_Lists();
        if (staticlists::IsNoListMarker(lists)) return;
        for (const std::string& list : std::get<std::vector<std::string>>(lists))
            combo.AddItem(list);
        if (!name.empty()) {
            for (int i = 0; i < combo.ListCount(); ++i) {
                if (combo.List(i) == name) return combo.SetListIndex(i);
            }
        }
    });
}

int frmMain::Find_Index(const std::string& text) {
    if (text.empty()) return -1;
    for (int i = 0; i < cboFloating.ListCount(); ++i) {
        if (cboFloating.List(i) == text) return i;
    }
    return -1;
}

void frmMain::cboFloating_Click() {
    if (fillingFloating_) return; // code filling or positioning the editor, not a pick
    Sub(kForm, "cboFloating_Click", [&](Statement& at) {
        const int row = lvwValues.SelectedItem();
        const int picked = cboFloating.ListIndex();
        if (row < 0 || EditColumn_ < 1 || picked < 0) return;
        at();
        const fs::ValueSetting old = fs::SplitValueSetting(lvwValues.Item(row).tag);
        fs::ValueSetting s = old;
        // What the row showed: a rebuild or display choice is kept only where one was shown.
        const bool groupRow = old.type == "0" || old.type == "1" || old.type == "2";
        const bool rebuildShown = groupRow && (old.rebuild == "0" || old.rebuild == "1");
        const bool displayShown = old.type == "2" && (old.display == "0" || old.display == "1");
        bool reopen = false;
        at();
        switch (EditColumn_) {
        case kTypeColumn:
            if (std::to_string(picked) == old.type) return;
            s = fs::SettingForType(picked, "", rebuildShown && old.rebuild == "0",
                                   displayShown && old.display == "1");
            // A group type still needs its group; a static list, its list.
            reopen = picked != fs::valuetype::kAllGroups && picked < fs::valuetype::kNone;
            break;
        case kDetailsColumn:
            if (old.type == "1" || old.type == "2") {
                s.details = cboFantome1.List(picked);
            } else if (old.type == "3") {
                s.details = cboFloating.List(picked);
            }
            break;
        case kRebuildColumn:
            s.rebuild = std::to_string(picked);
            break;
        case kDisplayColumn:
            s.display = picked == 0 ? "1" : "0";
            break;
        default:
            break;
        }
        lvwValues.SetItemTag(row, fs::ComposeValueSetting(s));
        at();
        DrawRow(row);
        if (reopen) lvwvalues_MouseUp(fvb::kLeftButton, 0, 5055, 420);
    });
}

} // namespace tamber
