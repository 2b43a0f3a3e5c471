// The advanced mode: its pages, what entering each one recommends, the checks on every box, and
// Finish writing what the boxes show.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/main_window.h"
#include "fakes/fake_program.h"
#include "fakes/fake_form_host.h"
#include "tuning/normal_mode_form.h"

namespace zephyr::testing {
namespace {

constexpr char kTcpip[] = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\";

class AdvancedMode : public ::testing::Test, protected FakeProgram {
 protected:
  void SetUp() override {
    Make();
    ASSERT_TRUE(program->Start());
    registry.CreatePath(kHKeyLocalMachine,
                        "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{A}");
    Open();
  }

  // What the movie's advanced-mode button does: the panel afresh, shown in the frame.
  void Open() {
    host.reset();
    program->OnCommand("IDC_FS_normalMode");
    form = &dynamic_cast<NormalModeForm&>(program->Panel(PanelId::kNormalMode));
    host = std::make_unique<FakeFormHost>(*form, timers);
  }

  void Next(int times = 1) {
    for (int i = 0; i < times; ++i) ASSERT_TRUE(host->Click("cmdNextPage")) << host->Refusal();
  }
  void Back(int times = 1) {
    for (int i = 0; i < times; ++i) ASSERT_TRUE(host->Click("cmdPrevPage")) << host->Refusal();
  }

  // The one page frame that is visible, or -1.
  int VisiblePage() const {
    int shown = -1;
    for (int page = 0; page < form->frmWizardPages.Count(); ++page) {
      if (!form->frmWizardPages(page).Visible()) continue;
      if (shown != -1) return -2;
      shown = page;
    }
    return shown;
  }

  bool Journaled(const std::string& entry) const {
    const auto& journal = registry.Journal();
    return std::find(journal.begin(), journal.end(), entry) != journal.end();
  }

  TuningParams& tuning() { return program->currentTuning(); }

  NormalModeForm* form = nullptr;
  std::unique_ptr<FakeFormHost> host;
};

TEST(AdvancedModeNumbers, OnlyDecimalNumbersCountAndHalvesRoundToEven) {
  EXPECT_EQ(NumericValue("  -2.5 "), -2.5);
  EXPECT_EQ(NumericValue("+1e3"), 1000.0);
  for (const char* text : {"", "abc", "64a", "1.2.3", "e5", "inf", "nan", "0x10", "1,000", "."}) {
    EXPECT_EQ(NumericValue(text), std::nullopt) << text;
  }
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(2147483647.5), std::nullopt);
  EXPECT_EQ(NumberText(536 * 3.3 * 4), "7075.2");
}

TEST_F(AdvancedMode, OpensOnTheFirstPageWithItsInitialValuesEveryTime) {
  ASSERT_TRUE(host->Click("optConnType(2)"));
  Next(4);
  ASSERT_TRUE(host->ReplaceText("txtTTLValue", "100"));
  for (int opening = 0; opening < 2; ++opening) {
    Open();
    EXPECT_EQ(form->currWizardPage(), 0);
    EXPECT_EQ(form->connType(), 0);
    EXPECT_EQ(VisiblePage(), 0);
    EXPECT_TRUE(form->optConnType(0).Value());
    EXPECT_EQ(form->txtTTLValue.Text(), "64");
    EXPECT_EQ(form->lblMTURecValue.Caption(), "   Byte");
    EXPECT_EQ(form->cmbNDI.Text(), "0");
    EXPECT_FALSE(form->cmdPrevPage.Enabled());
    EXPECT_TRUE(form->cmdNextPage.Enabled());
    EXPECT_EQ(form->cmdNextPage.Caption(), "Next>>");
  }
}

TEST_F(AdvancedMode, EachConnectionTypeRecommendsItsSizesAndWindow) {
  struct Case {
    int connType;
    const char* mtu;
    const char* mtuLabel;
    const char* mss;
    const char* mssLabel;
    const char* multiplier;
    const char* window;
  };
  for (const Case& c : {Case{0, "576", "576 Byte", "536", "536 Byte", "3", "6432"},
                        Case{1, "1500", "1500 Byte", "1460", "1460 Byte", "44", "256960"},
                        Case{2, "1492", "1492 Byte", "1452", "1452Byte", "44", "255552"},
                        Case{3, "1500", "1500 Byte", "1460", "1460 Byte", "44", "256960"}}) {
    SCOPED_TRACE(c.connType);
    Open();
    ASSERT_TRUE(host->Click("optConnType(" + std::to_string(c.connType) + ")"));
    Next();
    EXPECT_EQ(form->txtMTUValue.Text(), c.mtu);
    EXPECT_EQ(form->txtMSSValue.Text(), c.mss);
    EXPECT_EQ(form->lblMTURecValue.Caption(), c.mtuLabel);
    EXPECT_EQ(form->lblMSSRecVaklue.Caption(), c.mssLabel);
    EXPECT_EQ(std::to_string(tuning().MTU), c.mtu);
    EXPECT_EQ(std::to_string(tuning().MSS), c.mss);
    Next(2);
    EXPECT_EQ(form->txtMSSRWINValue.Text(), c.mss);
    EXPECT_EQ(form->txtMultiplier.Text(), c.multiplier);
    EXPECT_EQ(form->txtRWIN.Text(), c.window);
    EXPECT_EQ(std::to_string(tuning().RWIN), c.window);
    EXPECT_EQ(form->lblRWINRecValue.Caption(), std::string(c.window) + "Bytes");
  }
}

TEST_F(AdvancedMode, BackAndNextFollowThePageWithTheirCaptionsAndEnabling) {
  Next();
  EXPECT_EQ(VisiblePage(), 1);
  EXPECT_TRUE(form->cmdPrevPage.Enabled());
  Back();
  EXPECT_EQ(VisiblePage(), 0);
  EXPECT_FALSE(form->cmdPrevPage.Enabled());
  EXPECT_FALSE(host->Click("txtMTUValue"));  // hidden with its page

  Next(7);
  EXPECT_EQ(VisiblePage(), 7);
  EXPECT_EQ(form->cmdNextPage.Caption(), "Finish");
  Back();
  EXPECT_EQ(VisiblePage(), 6);
  EXPECT_EQ(form->cmdNextPage.Caption(), "Next>>");
  EXPECT_TRUE(form->cmdNextPage.Enabled());

  // Going back changes nothing in the current set.
  ASSERT_TRUE(host->Select("cmbNDI", 4));
  const TuningParams before = tuning();
  Back(6);
  EXPECT_EQ(tuning(), before);
  EXPECT_FALSE(form->cmdPrevPage.Enabled());
}

TEST_F(AdvancedMode, BoxesPutTheirFieldBackForTextOutsideTheirRange) {
  struct Case {
    int page;
    const char* box;
    const char* typed;
    const char* shown;
  };
  Next(5);
  // Pages in descending order: the test walks back through them.
  for (const Case& c : {Case{5, "txtKeepAliveTimeValue", "2147483648", "7200000"},
                        Case{5, "txtKeepAliveIntervalValue", "-5", "1000"},
                        Case{4, "txtTTLValue", "abc", "64"}, Case{4, "txtTTLValue", "300", "64"},
                        Case{4, "txtTTLValue", "256", "256"}, Case{4, "txtTTLValue", "257", "64"},
                        Case{4, "txtTTLValue", "255", "255"},
                        Case{4, "txtHTTP10Value", "3", "20"}, Case{4, "txtHTTP10Value", "4", "4"},
                        Case{4, "txtHTTP11Value", "1", "20"}, Case{4, "txtHTTP11Value", "2", "2"},
                        Case{1, "txtMTUValue", "1.5.0", "576"},
                        Case{1, "txtMSSValue", "-1", "536"}}) {
    while (form->currWizardPage() > c.page) Back();
    ASSERT_TRUE(host->ReplaceText(c.box, c.typed)) << host->Refusal();
    EXPECT_EQ(static_cast<ui::TextBox*>(form->FindControl(c.box))->Text(), c.shown)
        << c.box << " " << c.typed;
  }
  Next(3);
  ASSERT_TRUE(host->Type("txtTTLValue", "x"));
  EXPECT_EQ(form->txtTTLValue.Text(), "64");
  EXPECT_EQ(tuning().TTL, 64);  // a valid text waits for Finish
}

TEST_F(AdvancedMode, AMultiplierGivingNoUsableWindowIsReset) {
  ASSERT_TRUE(host->Click("optConnType(1)"));
  Next(3);
  ASSERT_TRUE(host->ReplaceText("txtMultiplier", "100000000"));
  EXPECT_EQ(form->txtMultiplier.Text(), "44");
  EXPECT_EQ(form->txtRWIN.Text(), "256960");
  ASSERT_TRUE(host->ReplaceText("txtMultiplier", "0"));
  EXPECT_EQ(form->txtMultiplier.Text(), "44");
  EXPECT_EQ(form->txtRWIN.Text(), "256960");
  ASSERT_TRUE(host->ReplaceText("txtMultiplier", "abc"));
  EXPECT_EQ(form->txtMultiplier.Text(), "44");
  ASSERT_TRUE(host->ReplaceText("txtMultiplier", "1e400"));
  EXPECT_EQ(form->txtMultiplier.Text(), "44");

  ASSERT_TRUE(host->ReplaceText("txtMultiplier", "10"));
  EXPECT_EQ(form->txtRWIN.Text(), "58400");
  EXPECT_EQ(tuning().RWIN, 256960);  // taken at Finish
  EXPECT_FALSE(host->ReplaceText("txtRWIN", "1"));  // display only
}

TEST_F(AdvancedMode, FinishAppliesTheBoxesAndReturnsTheMovieHome) {
  Next();
  ASSERT_TRUE(host->ReplaceText("txtMTUValue", "1400"));
  ASSERT_TRUE(host->ReplaceText("txtMSSValue", "1360.5"));
  Next();
  ASSERT_TRUE(host->Click("chkMTUDisconver"));
  ASSERT_TRUE(host->Click("chkBlackHoleValue"));
  Next();
  ASSERT_TRUE(host->ReplaceText("txtMultiplier", "4"));
  Next();
  ASSERT_TRUE(host->ReplaceText("txtTTLValue", "128"));
  Next(2);
  ASSERT_TRUE(host->Spin("updwnDescision", -1));
  EXPECT_EQ(form->txtSYNValue.Text(), "1");
  ASSERT_TRUE(host->Select("cmbNDI", 5));
  Next();
  ASSERT_TRUE(host->Click("chkICMPValue"));
  Next();
  EXPECT_EQ(form->currWizardPage(), kWizardFinished);
  EXPECT_FALSE(program->mainWindow().MovieInFront()) << "nothing happens before Apply";
  ASSERT_TRUE(AnswerPreview(*program));

  const std::string tcpip = kTcpip;
  EXPECT_EQ(form->lblMTURecValue.Caption(), "576 Byte");
  for (const char* entry :
       {"Interfaces\\{A}\\MTU dword 1400", "Interfaces\\{A}\\MSS dword 1360",
        "TcpWindowSize dword 8576", "DefaultTTL dword 128", "EnablePMTUDiscovery dword 0",
        "EnablePMTUBHDetect dword 1", "SYNAttackProtect dword 1", "EnableICMPRedirects dword 1",
        "EnableICMPRedirect dword 1"}) {
    EXPECT_TRUE(Journaled("set " + tcpip + entry)) << entry;
  }
  EXPECT_EQ(tuning().NDICacheSize, 32);
  EXPECT_EQ(folder.List("Backups"), (std::vector<std::string>{"001.BCK", "001.PRE"}));
  EXPECT_TRUE(program->mainWindow().MovieInFront());
  EXPECT_EQ(program->mainWindow().flash.LastVariableSet(),
            (std::pair<std::string, std::string>{"_root.home", "true"}));
  EXPECT_EQ(form->currWizardPage(), kWizardFinished);
  EXPECT_FALSE(form->cmdNextPage.Enabled());
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(AdvancedMode, UntouchedPagesApplyTheirRecommendations) {
  tuning() = program->presets()[7];
  tuning().PMTUBlackHoleDetect = true;
  tuning().ICMPRedirects = true;
  Next(8);
  ASSERT_TRUE(AnswerPreview(*program));
  const std::string tcpip = kTcpip;
  for (const char* entry :
       {"EnablePMTUDiscovery dword 1", "EnablePMTUBHDetect dword 0",
        "Interfaces\\{A}\\MTU dword 576", "TcpWindowSize dword 6432", "DefaultTTL dword 64",
        "KeepAliveTime dword 7200000", "KeepAliveInterval dword 1000", "SYNAttackProtect dword 2",
        "EnableICMPRedirects dword 0"}) {
    EXPECT_TRUE(Journaled("set " + tcpip + entry)) << entry;
  }
  EXPECT_EQ(tuning().MaxConnectionsPer1_0Server, 20);
  EXPECT_EQ(tuning().MaxConnectionsPerServer, 20);
  EXPECT_EQ(tuning().NDICacheSize, 0);
}

TEST_F(AdvancedMode, ReenteringAPageShowsTheValuesItPutBack) {
  Next(6);
  ASSERT_TRUE(host->SelectText("cmbNDI", "16"));
  ASSERT_TRUE(host->Spin("updwnDescision", -2));
  EXPECT_EQ(tuning().NDICacheSize, 16);
  EXPECT_EQ(tuning().SYNAttackProtect, 0);
  Back();
  Next();
  EXPECT_EQ(tuning().NDICacheSize, 0);
  EXPECT_EQ(form->cmbNDI.Text(), "0");
  EXPECT_EQ(tuning().SYNAttackProtect, 2);
  EXPECT_EQ(form->txtSYNValue.Text(), "2");

  Back(4);
  ASSERT_TRUE(host->Click("chkMTUDisconver"));
  EXPECT_FALSE(tuning().PMTUDiscovery);
  Back();
  Next();
  EXPECT_TRUE(tuning().PMTUDiscovery);
  EXPECT_EQ(form->chkMTUDisconver.Value(), ui::kUnchecked);
}

TEST_F(AdvancedMode, AFailedBackupLeavesTheLastPageReadyToFinishAgain) {
  folder.Write("Backups/999.BCK", "");
  Next(7);
  const std::string before = registry.Dump();
  Next();
  ASSERT_TRUE(AnswerPreview(*program));
  EXPECT_EQ(registry.Dump(), before);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_FALSE(program->mainWindow().MovieInFront());
  EXPECT_EQ(form->currWizardPage(), kLastWizardPage);
  EXPECT_EQ(VisiblePage(), kLastWizardPage);
  EXPECT_TRUE(form->cmdNextPage.Enabled());
  EXPECT_EQ(form->cmdNextPage.Caption(), "Finish");

  std::filesystem::remove(folder.path() / "Backups" / "999.BCK");
  Next();
  ASSERT_TRUE(AnswerPreview(*program));
  EXPECT_NE(registry.Dump(), before);
  EXPECT_TRUE(program->mainWindow().MovieInFront());
}

}  // namespace
}  // namespace zephyr::testing
