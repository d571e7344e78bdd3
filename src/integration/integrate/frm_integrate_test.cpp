#include "integration/integrate/frm_integrate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/runtime/headless.h"
#include "integration/integrate/integrate_texts.h"
#include "module1/module1.h"
#include "ports/memory/memory_act.h"
#include "testing/program_test.h"

namespace tamber {
namespace {

using forms::vb::kChecked;
using forms::vb::kUnchecked;
using Entries = std::set<std::pair<int16_t, std::string>>;

class IntegrateTest : public testing::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        Sys().automation = &act.automation();
        window.AppName = "Tamberlist";
        window.ContactScreen = true; // as the configuration window opens it
    }
    int ActCalls(std::string_view member) { return act.CallCount(member); }
    // Shows the window modally; `user` acts on it and may leave it open (then Cancel).
    void Run(const std::function<void()>& user) {
        host.OnModal([&](forms::Form& f) {
            user();
            if (f.Loaded() && f.Visible()) host.Click(window.cmdCancel);
        });
        window.Show(true);
    }

    forms::HeadlessHost host;
    act::MemoryAct act;
    int unloads = 0;
    frmIntegrate window{frmIntegrate::Deps{.unloadConfiguration = [this] { ++unloads; }}};
};

TEST_F(IntegrateTest, ShowsActsStateWithoutChangingIt) {
    auto aux = act.automation().CreateAuxCommands();
    aux->AddAuxCommand("Tamberlist", "x.EXE", "C:\\", "T", "t", "i", "i32", 1);
    aux->AddAuxCommandToToolbar(3, "Tamberlist"); // Groups: a disabled box
    aux->AddAuxCommandToToolsMenu(1, "Tamberlist");
    act.ClearCalls();
    Run([&] {
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(window.chkScreen[i]->Enabled(), i == 0 || i == 6) << i;
        EXPECT_EQ(window.chkScreen[2]->Value(), kChecked);
        EXPECT_EQ(window.chkScreen[6]->Value(), kChecked);
        EXPECT_EQ(window.chkScreen[0]->Value(), kUnchecked);
        EXPECT_EQ(window.lblScreen[9]->Caption(), "Task List");
    });
    EXPECT_EQ(ActCalls("AuxCmds.AddAuxCommandToToolbar"), 0);
    EXPECT_EQ(ActCalls("AuxCmds.AddAuxCommandToToolsMenu"), 0);
    EXPECT_EQ(ActCalls("AuxCmds.AuxCommandExists"), 0);
    EXPECT_EQ(ActCalls("AuxCmds.AuxCommandExistsInToolbar"), 6);

    // Closing without touching anything asks nothing.
    Run([&] { host.Click(window.cmdOK); });
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(ActCalls("AuxCmds.AddAuxCommandToToolbar"), 0);
}

TEST_F(IntegrateTest, FirstTickRegistersTheCommandOnceThenAddsTheViews) {
    processes.programFolder = "C:\\Program Files\\Tamberlist";
    dialogs.answers = {mb::kNo};
    Run([&] {
        host.Click(*window.chkScreen[0]);
        host.Click(*window.lblScreen[6]);
        host.Click(*window.lblScreen[4]); // a disabled box still toggles from its label
        host.Click(window.cmdOK);
    });
    ASSERT_EQ(act.auxCommands().size(), 1u);
    const act::AuxCommand& c = act.auxCommands()[0];
    EXPECT_EQ(c.name, "Tamberlist");
    EXPECT_EQ(c.program, "C:\\Program Files\\Tamberlist\\tamber.EXE");
    EXPECT_EQ(c.folder, "C:\\Program Files\\Tamberlist");
    EXPECT_EQ(c.caption, "Tamberlist");
    EXPECT_EQ(c.toolTip, "Click to launch Tamberlist");
    EXPECT_EQ(c.icon, "C:\\Program Files\\Tamberlist\\tamber.ico");
    EXPECT_EQ(c.icon32, "C:\\Program Files\\Tamberlist\\tamber32.ico");
    EXPECT_EQ(c.flags, 1);
    EXPECT_EQ(ActCalls("AuxCmds.AddAuxCommand"), 1);
    EXPECT_EQ(act.toolbarButtons(), (Entries{{1, "Tamberlist"}, {5, "Tamberlist"}}));
    EXPECT_EQ(act.toolsMenuEntries(), (Entries{{1, "Tamberlist"}}));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, "You need to re-start ACT! for the changes to take effect!"
                                       "\r\nDo you want to re-start it now?");
    EXPECT_EQ(dialogs.shown[0].style, mb::kYesNo);
    EXPECT_EQ(dialogs.shown[0].title, "Tamberlist");
    EXPECT_FALSE(M().ReopenPending);
    EXPECT_EQ(unloads, 0);
}

TEST_F(IntegrateTest, TickThenClearStillAsksAndYesHandsOverToTheConfigurationWindow) {
    bool hiddenWhenHandedOver = false;
    Run([&] {
        host.Click(*window.chkScreen[0]);
        host.Click(*window.chkScreen[0]);
        EXPECT_TRUE(window.Changed());
        EXPECT_TRUE(act.toolbarButtons().empty());
        dialogs.answers = {mb::kYes};
        host.Click(window.cmdOK);
        hiddenWhenHandedOver = !window.Visible();
    });
    EXPECT_TRUE(hiddenWhenHandedOver);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(M().ReopenPending);
    EXPECT_EQ(unloads, 1);
    EXPECT_FALSE(window.Loaded());
}

TEST_F(IntegrateTest, FailedRegistrationIsToldWhenItHappensAndAtClose) {
    window.AppName = "Tamber=list"; // a name ACT! refuses
    Run([&] {
        host.Click(*window.chkScreen[6]);
        host.Click(window.cmdOK);
    });
    ASSERT_EQ(dialogs.shown.size(), 2u);
    for (const auto& shown : dialogs.shown) {
        EXPECT_EQ(shown.prompt,
                  "Can't add icon or menu item automatically. You will need to proceed manually.");
        EXPECT_EQ(shown.title, "Tamber=list");
    }
}

TEST_F(IntegrateTest, AFailedViewCallIsToldAtCloseEvenAfterALaterSuccess) {
    auto aux = act.automation().CreateAuxCommands();
    aux->AddAuxCommand("Tamberlist", "x.EXE", "C:\\", "T", "t", "i", "i32", 1);
    aux->AddAuxCommandToToolbar(1, "Tamberlist");
    Run([&] {
        EXPECT_EQ(window.chkScreen[0]->Value(), kChecked);
        aux->RemoveAuxCommandFromToolbar(1, "Tamberlist"); // gone behind the window's back
        host.Click(*window.chkScreen[0]);                  // so this removal fails
        host.Click(*window.chkScreen[6]);                  // and this addition succeeds
        EXPECT_EQ(window.AddResult(), 0);
        host.Click(window.cmdOK);
    });
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt,
              "Can't add icon or menu item automatically. You will need to proceed manually.");
    EXPECT_FALSE(M().ReopenPending);
}

TEST_F(IntegrateTest, AFailedReloadAfterYesIsToldAsTheLoadsAndYesStillHolds) {
    Run([&] {
        host.Click(*window.chkScreen[0]);
        act.Fail("Automation.CreateAuxCommands",
                 VbError(429, "ActiveX component can't create object"));
        dialogs.answers = {mb::kYes};
        host.Click(window.cmdOK);
    });
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_NE(dialogs.shown[1].prompt.find("in frmIntegrate: Sub Form_Load"), std::string::npos)
        << dialogs.shown[1].prompt;
    EXPECT_TRUE(M().ReopenPending);
    EXPECT_EQ(unloads, 1);
    EXPECT_FALSE(window.Loaded());
}

TEST_F(IntegrateTest, RegistersTheProgramUnderItsOwnFileName) {
    processes.exeName = "tamber2";
    dialogs.answers = {mb::kNo};
    Run([&] {
        host.Click(*window.chkScreen[0]);
        host.Click(window.cmdOK);
    });
    const act::AuxCommand& c = act.auxCommands().at(0);
    EXPECT_EQ(c.program, "C:\\Program Files\\Tamberlist\\tamber2.EXE");
    EXPECT_EQ(c.icon, "C:\\Program Files\\Tamberlist\\tamber2.ico");
    EXPECT_EQ(c.icon32, "C:\\Program Files\\Tamberlist\\tamber232.ico");
}

TEST_F(IntegrateTest, CancelKeepsWhatWasDone) {
    Run([&] {
        host.Click(*window.chkScreen[0]);
        host.Key(forms::vb::kKeyEscape);
    });
    EXPECT_EQ(act.toolbarButtons(), (Entries{{1, "Tamberlist"}}));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(IntegrateTest, FrenchTextsAndNoTextsForAnyOtherLanguage) {
    window.Language = 1;
    dialogs.answers = {mb::kNo};
    Run([&] {
        EXPECT_EQ(window.Caption(), "Int\xE9gration \xE0 ACT!");
        EXPECT_EQ(window.cmdOK.Caption(), "&Fermer");
        EXPECT_EQ(window.lblScreen[7]->Caption(), "Liste des contacts");
        EXPECT_EQ(window.Frame1_0.Caption(),
                  "Bouton ajout\xE9 \xE0 la barre d'outils des \xE9\x63rans suivants : ");
        host.Click(*window.chkScreen[0]);
        host.Click(window.cmdOK);
    });
    EXPECT_EQ(act.auxCommands().at(0).toolTip, "Cliquez pour lancer Tamberlist");
    EXPECT_EQ(dialogs.shown.at(0).prompt,
              "Vous devez red\xE9marrer ACT! pour que les changements soient pris en compte!\r\n"
              "Voulez-vous red\xE9marrez ACT! maintenant?");

    window.Language = 2;
    act.SetRunning(false); // and an error message closes with the (empty) text 0
    Run([] {});
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_NE(dialogs.shown[1].prompt.find("in frmIntegrate: Sub Form_Load"), std::string::npos);
    EXPECT_TRUE(dialogs.shown[1].prompt.ends_with("\r\n\r\n"));
    act.SetRunning(true);
    Run([&] {
        EXPECT_EQ(window.Caption(), "");
        EXPECT_EQ(window.lblScreen[0]->Caption(), "");
        EXPECT_EQ(window.cmdCancel.Caption(), "");
    });
    for (const std::string& text : integrate::TextsFor(-1))
        EXPECT_EQ(text, "");
}

} // namespace
} // namespace tamber
