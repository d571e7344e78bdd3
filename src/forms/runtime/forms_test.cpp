#include <gtest/gtest.h>

#include "common/program_end.h"
#include "common/vb_error.h"
#include "forms/runtime/collate.h"
#include "forms/runtime/headless.h"

namespace tamber::forms {
namespace {

// A dialog answering through its opener's public variable, as the program's dialogs do.
struct Asker;
struct Question : Form {
    Label lblText{*this, "lblText"};
    CommandButton cmdOk{*this, "cmdOk"};
    CommandButton cmdCancel{*this, "cmdCancel"};
    TextBox txtName{*this, "txtName"};
    bool* answer = nullptr;
    std::vector<std::string> log;
    bool refuseUnload = false;
    Question() : Form("Question") {
        txtName.SetTabIndex(0);
        cmdOk.SetTabIndex(1);
        cmdCancel.SetTabIndex(2);
        cmdOk.SetDefault(true);
        cmdCancel.SetCancel(true);
        cmdOk.onClick = [this] {
            log.push_back("cmdOk_Click");
            *answer = true;
            Unload();
        };
        cmdCancel.onClick = [this] {
            log.push_back("cmdCancel_Click");
            Unload();
        };
    }
    void Form_Load() override { log.push_back("Load"); }
    void Form_Activate() override { log.push_back("Activate"); }
    void Form_QueryUnload(int& cancel, int mode) override {
        log.push_back("QueryUnload " + std::to_string(mode));
        if (refuseUnload) cancel = 1;
    }
    void Form_Unload(int&) override { log.push_back("Unload"); }
    void Form_Click() override { log.push_back("Click"); }
};

struct Asker : Form {
    CommandButton cmdAsk{*this, "cmdAsk"};
    Question question;
    bool bAnswer = false;
    bool answerAfterShow = false;
    int activations = 0;
    Asker() : Form("Asker") {
        cmdAsk.onClick = [this] {
            bAnswer = false;
            question.answer = &bAnswer;
            question.Show(true);
            answerAfterShow = bAnswer;
        };
    }
    void Form_Activate() override { ++activations; }
};

class FormsTest : public ::testing::Test {
  protected:
    HeadlessHost host;
};

TEST_F(FormsTest, ModalShowReturnsAfterTheDialogUnloadsWithItsAnswer) {
    Asker asker;
    asker.Show();
    host.OnModal([&](Form& f) {
        EXPECT_EQ(&f, &asker.question);
        EXPECT_TRUE(asker.question.Visible());
        host.Click(asker.question.cmdOk);
    });
    host.Click(asker.cmdAsk);
    EXPECT_TRUE(asker.answerAfterShow);
    EXPECT_FALSE(asker.question.Loaded());
    EXPECT_EQ(host.modalShows, std::vector<std::string>{"Question"});
    EXPECT_EQ(asker.question.log, (std::vector<std::string>{"Load", "Activate", "cmdOk_Click",
                                                            "QueryUnload 1", "Unload"}));
    // The opener is the active window again and hears Activate once more.
    EXPECT_EQ(screen::ActiveForm(), &asker);
    EXPECT_EQ(asker.activations, 2);
}

TEST_F(FormsTest, EnterPressesTheDefaultButtonAndEscTheCancelButton) {
    Asker asker;
    asker.Show();
    host.OnModal([&](Form&) { host.Key(vb::kKeyReturn); });
    host.Click(asker.cmdAsk);
    EXPECT_TRUE(asker.answerAfterShow);

    host.OnModal([&](Form&) { host.Key(vb::kKeyEscape); });
    host.Click(asker.cmdAsk);
    EXPECT_FALSE(asker.answerAfterShow);
    EXPECT_EQ(asker.question.log.back(), "Unload");
    EXPECT_NE(std::find(asker.question.log.begin(), asker.question.log.end(), "cmdCancel_Click"),
              asker.question.log.end());
}

TEST_F(FormsTest, EnterOnAFocusedButtonPressesThatButtonNotTheDefault) {
    Asker asker;
    asker.Show();
    host.OnModal([&](Form&) {
        host.Focus(asker.question.cmdCancel);
        host.Key(vb::kKeyReturn);
    });
    host.Click(asker.cmdAsk);
    EXPECT_FALSE(asker.answerAfterShow);
}

TEST_F(FormsTest, CloseBoxRunsQueryUnloadWithControlMenuModeAndCanBeRefused) {
    Question q;
    bool answer = false;
    q.answer = &answer;
    q.refuseUnload = true;
    q.Show();
    host.CloseBox(q);
    EXPECT_TRUE(q.Loaded());
    EXPECT_EQ(q.log.back(), "QueryUnload 0");
    q.refuseUnload = false;
    host.KeyDown(vb::kKeyF4, vb::kAltMask);
    EXPECT_FALSE(q.Loaded());
    EXPECT_EQ(q.log.back(), "Unload");
    EXPECT_TRUE(host.Ended());
}

TEST_F(FormsTest, ModalDialogLeftOpenByItsScriptFailsTheShow) {
    Asker asker;
    asker.Show();
    host.OnModal([](Form&) {});
    asker.question.answer = &asker.bAnswer;
    EXPECT_THROW(asker.question.Show(true), std::logic_error);
    EXPECT_THROW(asker.question.Show(true), VbError); // already shown: error 400
}

// The program ends when its last form is gone, not while one event swaps windows.
struct Chooser : Form {
    CommandButton cmdNext{*this, "cmdNext"};
    Form* next = nullptr;
    Chooser() : Form("Chooser") {
        cmdNext.onClick = [this] {
            Unload();
            next->Show();
        };
    }
};

TEST_F(FormsTest, ProgramEndsOnlyWhenTheLastFormUnloads) {
    Chooser first;
    Question second;
    first.next = &second;
    first.Show();
    EXPECT_FALSE(host.Ended());
    host.Click(first.cmdNext);
    EXPECT_FALSE(host.Ended());
    EXPECT_FALSE(first.Loaded());
    EXPECT_EQ(screen::ActiveForm(), &second);
    host.Key(vb::kKeyEscape);
    EXPECT_TRUE(host.Ended());
    EXPECT_EQ(host.destroyed, (std::vector<std::string>{"Chooser", "Question"}));
}

TEST_F(FormsTest, ExplicitEndStopsAtOnce) {
    Chooser f;
    f.cmdNext.onClick = [] { EndProgram(); };
    f.Show();
    EXPECT_THROW(host.Click(f.cmdNext), ProgramEnded);
}

TEST_F(FormsTest, KeyPressHandlerCanCancelOrReplaceTheCharacter) {
    Question q;
    q.Show();
    int changes = 0;
    q.txtName.onChange = [&] { ++changes; };
    q.txtName.onKeyPress = [](int& k) {
        if (k >= '0' && k <= '9')
            k = 0;
        else if (k >= 'a' && k <= 'z')
            k -= 32;
    };
    ASSERT_EQ(q.ActiveControl(), &q.txtName);
    host.Type("a1b2");
    host.Key(vb::kKeyBack);
    host.Type("c");
    EXPECT_EQ(q.txtName.Text(), "AC");
    EXPECT_EQ(changes, 4);
}

TEST_F(FormsTest, TabFollowsTabIndexAndSkipsWhatCannotTakeTheFocus) {
    Question q;
    q.cmdOk.SetTabIndex(5);
    q.Show();
    std::vector<std::string> order;
    for (Control* c : {static_cast<Control*>(&q.txtName), static_cast<Control*>(&q.cmdOk),
                       static_cast<Control*>(&q.cmdCancel)})
        c->onGotFocus = [&order, c] { order.push_back(c->Name()); };
    host.Key(vb::kKeyTab);
    host.Key(vb::kKeyTab);
    q.cmdCancel.SetEnabled(false);
    host.Key(vb::kKeyTab);
    host.Key(vb::kKeyTab, vb::kShiftMask);
    EXPECT_EQ(order, (std::vector<std::string>{"cmdCancel", "cmdOk", "txtName", "cmdOk"}));
}

TEST_F(FormsTest, FocusMovesWithLostFocusBeforeGotFocusAndRefusesHiddenControls) {
    Question q;
    q.Show();
    std::vector<std::string> log;
    q.txtName.onLostFocus = [&] { log.push_back("txt lost"); };
    q.cmdOk.onGotFocus = [&] { log.push_back("ok got"); };
    q.cmdOk.SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"txt lost", "ok got"}));
    q.cmdCancel.SetVisible(false);
    try {
        q.cmdCancel.SetFocus();
        FAIL();
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 5);
    }
    EXPECT_EQ(q.ActiveControl(), &q.cmdOk);
}

TEST_F(FormsTest, ControlsInAHiddenOrDisabledFrameCannotBeUsed) {
    Question q;
    Frame fra{q, "fra"};
    CheckBox chk{q, "chk"};
    chk.SetContainer(&fra);
    q.Show();
    fra.SetEnabled(false);
    host.Click(chk);
    EXPECT_EQ(chk.Value(), vb::kUnchecked);
    fra.SetEnabled(true);
    int clicks = 0;
    chk.onClick = [&] { ++clicks; };
    host.Click(chk);
    EXPECT_EQ(chk.Value(), vb::kChecked);
    chk.SetValue(vb::kChecked); // no change, no Click
    EXPECT_EQ(clicks, 1);
    fra.SetVisible(false);
    EXPECT_FALSE(chk.EffectivelyVisible());
}

TEST_F(FormsTest, ClickOnADisabledControlReachesItsFrameOrTheWindow) {
    Question q;
    Frame fra{q, "fra"};
    CheckBox chk{q, "chk"};
    chk.SetContainer(&fra);
    int frameClicks = 0;
    fra.onClick = [&] { ++frameClicks; };
    q.Show();
    chk.SetEnabled(false);
    host.Click(chk);
    EXPECT_EQ(chk.Value(), vb::kUnchecked);
    EXPECT_EQ(frameClicks, 1);
    fra.SetEnabled(false);
    q.log.clear();
    host.Click(chk);
    host.Click(q.lblText);
    EXPECT_EQ(frameClicks, 1);
    EXPECT_EQ(q.log, (std::vector<std::string>{"Click"})) << "a label takes its own click";
    q.SetEnabled(false);
    host.Click(q);
    EXPECT_EQ(q.log.size(), 1u) << "a disabled window takes none";
}

TEST_F(FormsTest, SortedListOrdersLikeThePlatformAndKeepsEqualEntries) {
    Question q;
    ListBox lst{q, "lst"};
    lst.SetSorted(true);
    for (const char* s : {"delta", "Alpha", "charlie", "alpha", "Bravo", "_first", "10 Downing",
                          "bravo", "co-op", "coop", "Zulu"})
        lst.AddItem(s);
    std::vector<std::string> got;
    for (auto& e : lst.Entries())
        got.push_back(e.text);
    ASSERT_EQ(got.size(), 11u);
    EXPECT_EQ(got[0], "_first");
    EXPECT_EQ(got[1], "10 Downing");
    EXPECT_TRUE(EqualsNoCase(got[2], "alpha") && EqualsNoCase(got[3], "alpha"));
    EXPECT_TRUE(EqualsNoCase(got[4], "bravo") && EqualsNoCase(got[5], "bravo"));
    EXPECT_EQ(got[6], "charlie");
    EXPECT_EQ(got[7], "coop");
    EXPECT_EQ(got[8], "co-op");
    EXPECT_EQ(got[9], "delta");
    EXPECT_EQ(got[10], "Zulu");
    lst.AddItem("beta");
    EXPECT_EQ(lst.NewIndex(), 4);
}

TEST_F(FormsTest, InsertingAboveTheSelectionKeepsTheSameEntrySelectedWithoutClick) {
    Question q;
    ListBox lst{q, "lst"};
    lst.AddItem("b");
    lst.AddItem("c");
    lst.SetListIndex(1);
    int clicks = 0;
    lst.onClick = [&] { ++clicks; };
    lst.AddItem("a", 0);
    EXPECT_EQ(lst.ListIndex(), 2);
    EXPECT_EQ(lst.Text(), "c");
    lst.RemoveItem(2);
    EXPECT_EQ(lst.ListIndex(), -1);
    EXPECT_EQ(clicks, 0);
    EXPECT_THROW(lst.SetListIndex(5), VbError);
    EXPECT_EQ(lst.List(7), "");
    EXPECT_THROW(lst.ItemData(7), VbError);
}

TEST_F(FormsTest, TypeAheadStepsBySingleLettersAndSearchesQuickWords) {
    Question q;
    ListBox lst{q, "lst"};
    lst.SetSorted(true);
    for (const char* s : {"Bamboo", "Banana", "Berry", "Blue", "Cherry"})
        lst.AddItem(s);
    q.Show();
    host.Focus(lst);
    std::vector<int> clicks;
    lst.onClick = [&] { clicks.push_back(lst.ListIndex()); };

    host.Key('b');
    EXPECT_EQ(lst.Text(), "Bamboo");
    host.AdvanceMs(1500);
    host.Key('b'); // same letter again after a pause: next entry with it
    EXPECT_EQ(lst.Text(), "Banana");
    host.AdvanceMs(1500);
    host.Type("be"); // quick succession: prefix search
    EXPECT_EQ(lst.Text(), "Berry");
    host.AdvanceMs(1500);
    host.Type("bb"); // repeated letter cycles
    EXPECT_EQ(lst.Text(), "Bamboo");
    host.AdvanceMs(1500);
    host.Key('x'); // no match: nothing changes
    EXPECT_EQ(lst.Text(), "Bamboo");
    EXPECT_EQ(clicks, (std::vector<int>{0, 1, 2, 3, 0}));
}

TEST_F(FormsTest, SelectionScrollsIntoViewAndTopIndexStaysWithinTheList) {
    Question q;
    ListBox lst{q, "lst"};
    lst.Move(0, 0, 1000, 4 * lst.ItemHeightTwips());
    for (int i = 0; i < 10; ++i)
        lst.AddItem("x" + std::to_string(i));
    lst.SetListIndex(7);
    EXPECT_EQ(lst.TopIndex(), 4);
    lst.SetListIndex(2);
    EXPECT_EQ(lst.TopIndex(), 2);
    lst.SetTopIndex(9);
    EXPECT_EQ(lst.TopIndex(), 6);
}

TEST_F(FormsTest, DropDownListComboTextFollowsSelectionAndRefusesUnknownText) {
    Question q;
    ComboBox cbo{q, "cbo"};
    cbo.SetStyle(vb::kComboDropDownList);
    cbo.AddItem("One");
    cbo.SetItemData(cbo.NewIndex(), 11);
    cbo.AddItem("Two");
    cbo.SetItemData(cbo.NewIndex(), 22);
    int clicks = 0;
    cbo.onClick = [&] { ++clicks; };
    cbo.SetText("two");
    EXPECT_EQ(cbo.ListIndex(), 1);
    EXPECT_EQ(cbo.Text(), "Two");
    EXPECT_EQ(cbo.ItemData(cbo.ListIndex()), 22);
    try {
        cbo.SetText("Three");
        FAIL();
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 383);
    }
    EXPECT_EQ(clicks, 1);

    ComboBox edit{q, "edit"};
    edit.AddItem("Alpha");
    edit.SetListIndex(0);
    EXPECT_EQ(edit.Text(), "Alpha");
    edit.SetListIndex(-1);
    EXPECT_EQ(edit.Text(), "");
}

TEST_F(FormsTest, TimersTickByIntervalOnlyWhileEnabledOnALoadedForm) {
    Question q;
    Timer tmr{q, "tmr"};
    tmr.SetInterval(100);
    int ticks = 0;
    tmr.onTimer = [&] { ++ticks; };
    host.AdvanceMs(1000);
    EXPECT_EQ(ticks, 0); // form not loaded
    q.Show();
    host.AdvanceMs(350);
    EXPECT_EQ(ticks, 3);
    tmr.SetEnabled(false);
    host.AdvanceMs(500);
    EXPECT_EQ(ticks, 3);
    tmr.SetEnabled(true);
    host.AdvanceMs(99);
    EXPECT_EQ(ticks, 3); // a re-enabled timer starts a whole interval
    host.AdvanceMs(1);
    EXPECT_EQ(ticks, 4);
    tmr.onTimer = [&] {
        ++ticks;
        q.Unload();
    };
    host.AdvanceMs(1000);
    EXPECT_EQ(ticks, 5);
}

TEST_F(FormsTest, ListViewColumnsLieSideBySideAndHitTestFindsRows) {
    Question q;
    ListView lvw{q, "lvw"};
    lvw.AddColumn("", "Values", 3528);
    lvw.AddColumn("Type", "List Type", 4057);
    lvw.AddColumn("Details", "GROUP or LIST", 4216);
    EXPECT_EQ(lvw.Columns()[2].left, 3528 + 4057);
    lvw.SetColumnWidth(0, 1000);
    EXPECT_EQ(lvw.Columns()[lvw.ColumnByKey("Details")].left, 1000 + 4057);
    for (int i = 0; i < 3; ++i)
        lvw.AddItem("row" + std::to_string(i));
    lvw.SetSubItem(1, 2, "N/A");
    EXPECT_EQ(lvw.SubItem(1, 2), "N/A");
    EXPECT_EQ(lvw.SubItem(1, 1), "");
    const long row = lvw.RowHeightTwips(), head = lvw.HeaderHeightTwips();
    EXPECT_EQ(lvw.HitTest(100, head / 2.0f), -1);
    EXPECT_EQ(lvw.HitTest(100, head + 0.5f * row), 0);
    EXPECT_EQ(lvw.HitTest(100, head + 2.5f * row), 2);
    EXPECT_EQ(lvw.HitTest(100, head + 3.5f * row), -1);
    EXPECT_EQ(lvw.HitTest(1000 + 4057 + 4216 + 1, head + 0.5f * row), -1);
    lvw.SetSelectedItem(2);
    EXPECT_EQ(lvw.SelectedItem(), 2);
}

TEST_F(FormsTest, ClientSizeAddsTheBorderAndCaptionOfTheStyle) {
    Question q;
    q.SetBorderStyle(vb::kFixedDialog);
    q.SetClientSize(5955, 1785);
    EXPECT_EQ(q.ScaleWidth(), 5955);
    EXPECT_EQ(q.ScaleHeight(), 1785);
    EXPECT_GT(q.Height(), 1785);
    q.SetBorderStyle(vb::kBsNone);
    EXPECT_EQ(q.ScaleHeight(), q.Height());
}

TEST_F(FormsTest, PixelConversionRoundsAtTheScreenScale) {
    host.tppX = 12;
    host.tppY = 15;
    EXPECT_EQ(TwipsToPixelsX(5955), 496); // 496.25
    EXPECT_EQ(TwipsToPixelsX(1965), 164); // 163.75
    EXPECT_EQ(TwipsToPixelsY(1215), 81);
}

} // namespace
} // namespace tamber::forms
