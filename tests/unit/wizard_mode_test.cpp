// The wizard: choosing a mode, its description, and the one-click apply.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "fakes/fake_program.h"
#include "fakes/fake_form_host.h"
#include "tuning/wizard_mode_form.h"

namespace zephyr::testing {
namespace {

class WizardMode : public ::testing::Test, protected FakeProgram {
 protected:
  void Start(std::uint32_t platform = kVerPlatformWin32Nt, std::uint32_t major = 5,
             std::uint32_t minor = 1) {
    Make(platform, major, minor);
    ASSERT_TRUE(program->Start());
    form = &dynamic_cast<WizardModeForm&>(program->Panel(PanelId::kWizardMode));
    host = std::make_unique<FakeFormHost>(*form, timers);
  }

  WizardModeForm* form = nullptr;
  std::unique_ptr<FakeFormHost> host;
};

TEST_F(WizardMode, DescriptionsFollowTheirFixedLayout) {
  const Presets presets = InitPresets();
  EXPECT_EQ(ModeDescription(presets[0]),
            "MSS = 536\tMTU = 576\t\tICMP = False\r\n\r\n"
            "NDI = 0\tMSCPS0 = 16\t\tMSCPS1 = 8\r\n\r\n"
            "BlackHole = False\tRWIN = 4288\t\r\n"
            "Keep Alive = 600000\r\n\r\n"
            "Keep Alive Interval= 1000\tSYN = 2\t\tTTL= 128\r\n\r\n");
  EXPECT_EQ(ModeDescription(presets[7]),
            "MSS = 1500\tMTU = 1500\t\tICMP = False\r\n\r\n"
            "NDI = 0\tMSCPS0 = 2\t\tMSCPS1 = 4\r\n\r\n"
            "BlackHole = False\tRWIN = 8192\t\r\n"
            "Keep Alive = 3600000\r\n\r\n"
            "Keep Alive Interval= 1000\tSYN = 2\t\tTTL= 32\r\n\r\n");
  EXPECT_NE(ModeDescription(presets[2]).find("MSS = -1\tMTU = -1"), std::string::npos);
}

TEST_F(WizardMode, AfterStartUpTheCurrentSetIsAutomaticAAndItsDescriptionShows) {
  Start();
  EXPECT_EQ(program->currentTuning(), program->presets()[0]);
  EXPECT_TRUE(form->optMode(0).Value());
  EXPECT_EQ(form->lblModeDescrip.Caption(), ModeDescription(program->presets()[0]));
}

TEST_F(WizardMode, ChoosingAModeCopiesItWholeAndTwiceChangesNothing) {
  Start();
  ASSERT_TRUE(host->Click("optMode(7)"));
  EXPECT_EQ(program->currentTuning(), program->presets()[7]);
  EXPECT_FALSE(form->optMode(0).Value());
  const std::string description = form->lblModeDescrip.Caption();
  ASSERT_TRUE(host->Click("optMode(7)"));
  EXPECT_EQ(program->currentTuning(), program->presets()[7]);
  EXPECT_EQ(form->lblModeDescrip.Caption(), description);
}

TEST_F(WizardMode, OptimizeNowAppliesTheCurrentSetAndReturnsTheMovieHome) {
  Start();
  registry.CreatePath(kHKeyLocalMachine,
                      "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{A}");
  program->OnCommand("IDC_FS_wizardMode");
  ASSERT_TRUE(host->Click("optMode(2)"));  // Automatic-C
  ASSERT_TRUE(host->PressMnemonic('N'));
  ASSERT_TRUE(AnswerPreview(*program));
  const auto& journal = registry.Journal();
  // A value that is not there needs no removal, so the apply leaves it out.
  EXPECT_EQ(std::find_if(journal.begin(), journal.end(),
                         [](const std::string& line) { return line.find("TcpWindowSize") !=
                                                              std::string::npos; }),
            journal.end());
  EXPECT_NE(std::find(journal.begin(), journal.end(),
                      "set HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\"
                      "DefaultTTL dword 128"),
            journal.end());
  EXPECT_EQ(folder.List("Backups"), (std::vector<std::string>{"001.BCK", "001.PRE"}));
  EXPECT_TRUE(program->mainWindow().MovieInFront());
  EXPECT_EQ(program->mainWindow().flash.LastVariableSet(),
            (std::pair<std::string, std::string>{"_root.home", "true"}));
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(WizardMode, AFailedBackupIsToldAndTheUserStaysOnThePanel) {
  Start();
  folder.Write("Backups/999.BCK", "");
  program->OnCommand("IDC_FS_wizardMode");
  const std::string before = registry.Dump();
  ASSERT_TRUE(host->Click("cmdOptimize"));
  ASSERT_TRUE(AnswerPreview(*program));
  EXPECT_EQ(registry.Dump(), before);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].title, "Zephyrnet");
  EXPECT_NE(dialogs.shown[0].text.find("nothing was changed"), std::string::npos);
  EXPECT_FALSE(program->mainWindow().MovieInFront());
  EXPECT_TRUE(form->Visible());
}

TEST_F(WizardMode, RefusedWritesAreToldButTheMovieStillGoesHome) {
  Start(kVerPlatformWin32Windows, 4, 10);
  registry.DenyWrites(kHKeyLocalMachine, "System");
  ASSERT_TRUE(host->Click("cmdOptimize"));
  ASSERT_TRUE(AnswerPreview(*program));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  // Nine MSTCP values, Windows 98's own window limit and the NDI cache size.
  EXPECT_EQ(dialogs.shown[0].text.rfind("11 values could not be written", 0), 0u)
      << dialogs.shown[0].text;
  EXPECT_TRUE(program->mainWindow().MovieInFront());
}

}  // namespace
}  // namespace zephyr::testing
