#include "integration/message/frm_message.h"

#include <functional>

#include <gtest/gtest.h>

#include "forms/runtime/headless.h"

namespace tamber {
namespace {

using namespace forms;

// The opener: asks as the cache refresh does and keeps the answer in its public variable.
struct Opener : Form {
    bool bCancelled = false;
    Opener() : Form("Opener") {}
    bool Ask(HeadlessHost& host, std::function<void(frmMessage&)> user) {
        frmMessage msg(bCancelled);
        bCancelled = false;
        msg.lblMessage.SetCaption("The list already exists. Do you want to rebuild it?");
        msg.SetCaption("Refresh List");
        host.OnModal([&](Form&) {
            EXPECT_EQ(msg.Caption(), "Refresh List");
            EXPECT_TRUE(msg.TopMost());
            user(msg);
        });
        msg.Show(true);
        EXPECT_FALSE(msg.Loaded());
        return bCancelled;
    }
};

class FrmMessageTest : public ::testing::Test {
  protected:
    HeadlessHost host;
    Opener opener;
    void SetUp() override { opener.Show(); }
};

TEST_F(FrmMessageTest, YesAnswersFalseByClickOrEnter) {
    EXPECT_FALSE(opener.Ask(host, [&](frmMessage& m) { host.Click(m.cmdYes); }));
    EXPECT_FALSE(opener.Ask(host, [&](frmMessage&) { host.Key(vb::kKeyReturn); }));
}

TEST_F(FrmMessageTest, NoEscCloseBoxAndAltF4AnswerTrue) {
    EXPECT_TRUE(opener.Ask(host, [&](frmMessage& m) { host.Click(m.cmdNo); }));
    EXPECT_TRUE(opener.Ask(host, [&](frmMessage&) { host.Key(vb::kKeyEscape); }));
    EXPECT_TRUE(opener.Ask(host, [&](frmMessage& m) { host.CloseBox(m); }));
    EXPECT_TRUE(opener.Ask(host, [&](frmMessage&) { host.KeyDown(vb::kKeyF4, vb::kAltMask); }));
}

TEST_F(FrmMessageTest, EnterWithTheFocusOnNoAnswersNo) {
    EXPECT_TRUE(opener.Ask(host, [&](frmMessage&) {
        host.Key(vb::kKeyTab);
        host.Key(vb::kKeyReturn);
    }));
}

TEST_F(FrmMessageTest, YesHasTheFocusFirstAndTheOpenerIsActiveAgainAfterwards) {
    opener.Ask(host, [&](frmMessage& m) {
        EXPECT_EQ(m.ActiveControl(), &m.cmdYes);
        host.Click(m.cmdYes);
    });
    EXPECT_EQ(screen::ActiveForm(), &opener);
    EXPECT_FALSE(host.Ended());
}

TEST_F(FrmMessageTest, ClientAreaAndButtonsKeepTheirPlaces) {
    bool answer = false;
    frmMessage m(answer);
    EXPECT_EQ(m.ScaleWidth(), 5955);
    EXPECT_EQ(m.ScaleHeight(), 1785);
    EXPECT_FALSE(m.MinButton() || m.MaxButton());
    EXPECT_TRUE(m.ControlBox());
    // Yes left of No on one row, both inside the client area, under the label.
    EXPECT_EQ(m.cmdYes.Top(), m.cmdNo.Top());
    EXPECT_LT(m.cmdYes.Left() + m.cmdYes.Width(), m.cmdNo.Left());
    EXPECT_LE(m.cmdNo.Left() + m.cmdNo.Width(), m.ScaleWidth());
    EXPECT_LE(m.cmdYes.Top() + m.cmdYes.Height(), m.ScaleHeight());
    EXPECT_LE(m.lblMessage.Top() + m.lblMessage.Height(), m.cmdYes.Top());
    EXPECT_EQ(m.cmdYes.Left(), 1965);
    EXPECT_EQ(m.lblMessage.Width(), 5610);
}

} // namespace
} // namespace tamber
