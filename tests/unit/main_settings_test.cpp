// The main settings panel: what it reads, what Save writes, and when Save is enabled.
#include <gtest/gtest.h>

#include "app/main_settings_form.h"
#include "app/main_window.h"
#include "fakes/fake_program.h"
#include "fakes/fake_form_host.h"
#include "platform/registry.h"

namespace zephyr::testing {
namespace {

const std::string kSettings = "SOFTWARE\\Corvanta\\Zephyrnet\\Settings\\MainSettings";

class MainSettings : public ::testing::Test, protected FakePorts {
 protected:
  MainSettings() { system.SetVersion(kVerPlatformWin32Nt, 5, 1); }

  // Starts a program installed in `folder` and opens its settings panel.
  MainSettingsForm& Start(const std::string& folder = "C:\\Program Files\\Zephyr Net") {
    host.reset();
    program = std::make_unique<Program>(
        ports(), AppPaths{folder, "zephyrnet", {}});
    system.mutexes.clear();
    EXPECT_TRUE(program->Start());
    auto& form = dynamic_cast<MainSettingsForm&>(program->Panel(PanelId::kMainSettings));
    host = std::make_unique<FakeFormHost>(form, timers);
    return form;
  }
  std::optional<std::string> Stored(const char* name) {
    const auto value = registry.Get(kHKeyLocalMachine, kSettings, name);
    return value ? std::optional(value->Text()) : std::nullopt;
  }
  std::optional<std::string> RunEntry() {
    const auto value = registry.Get(kHKeyCurrentUser, kRunKey, "Zephyrnet");
    return value ? std::optional(value->Text()) : std::nullopt;
  }

  std::unique_ptr<Program> program;
  std::unique_ptr<FakeFormHost> host;  // goes before the program and its panels
};

TEST_F(MainSettings, AFreshRegistryShowsACleanPanelAndWritesNothing) {
  MainSettingsForm& form = Start();
  EXPECT_EQ(form.chkRunMainProgram.Value(), 0);
  EXPECT_EQ(form.chkRunProgramMini.Value(), 0);
  EXPECT_FALSE(form.cmdSave.Enabled());
  EXPECT_EQ(registry.Journal(), std::vector<std::string>{});
  EXPECT_TRUE(program->mainWindow().Visible());
}

TEST_F(MainSettings, SavingWritesBothValuesAndAQuotedRunEntryOrRemovesIt) {
  MainSettingsForm& form = Start();
  ASSERT_TRUE(host->Click("chkRunMainProgram"));
  EXPECT_TRUE(form.cmdSave.Enabled());
  ASSERT_TRUE(host->Click("cmdSave"));
  EXPECT_FALSE(form.cmdSave.Enabled());
  EXPECT_EQ(Stored("chkRunMainProgram"), "1");
  EXPECT_EQ(Stored("chkRunProgramMini"), "0");
  // Quoted, so a folder with spaces cannot start C:\Program.exe instead.
  EXPECT_EQ(RunEntry(), "\"C:\\Program Files\\Zephyr Net\\zephyrnet.exe\"");

  ASSERT_TRUE(host->Click("chkRunMainProgram"));
  ASSERT_TRUE(host->PressMnemonic('s'));
  EXPECT_EQ(Stored("chkRunMainProgram"), "0");
  EXPECT_EQ(RunEntry(), std::nullopt);
  EXPECT_TRUE(registry.HasKey(kHKeyCurrentUser, kRunKey));
}

TEST_F(MainSettings, ARefusedSaveIsToldKeepsSaveEnabledAndTheRunEntryAgreeingWithTheSetting) {
  const struct {
    const char* what;
    RegKey deniedHive;
    const char* deniedKey;
    bool savedAsSet;
  } cases[] = {
      {"settings refused", kHKeyLocalMachine, "SOFTWARE", false},
      {"Run entry refused", kHKeyCurrentUser, kRunKey, false},
      {"Run entry removal refused", kHKeyCurrentUser, kRunKey, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = FakeRegistry();
    dialogs.shown.clear();
    const std::optional<std::string> saved =
        c.savedAsSet ? std::optional<std::string>("1") : std::nullopt;
    if (c.savedAsSet) {
      registry.PutString(kHKeyLocalMachine, kSettings, "chkRunMainProgram", "1");
      registry.PutString(kHKeyCurrentUser, kRunKey, "Zephyrnet", "\"C:\\Old\\zephyrnet.exe\"");
    }
    registry.DenyWrites(c.deniedHive, c.deniedKey);
    MainSettingsForm& form = Start();
    const std::optional<std::string> entry = RunEntry();
    ASSERT_TRUE(host->Click("chkRunMainProgram"));
    ASSERT_TRUE(host->Click("chkRunProgramMini"));
    ASSERT_TRUE(host->Click("cmdSave"));

    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text.find("Administrator rights"), std::string::npos);
    EXPECT_TRUE(form.cmdSave.Enabled());
    EXPECT_EQ(Stored("chkRunMainProgram"), saved);
    EXPECT_EQ(Stored("chkRunProgramMini"), std::nullopt);
    EXPECT_EQ(RunEntry(), entry);
    EXPECT_EQ(RunEntry().has_value(), c.savedAsSet);
  }
}

TEST_F(MainSettings, ClickingABoxBackToItsSavedStateStillLeavesSaveEnabled) {
  MainSettingsForm& form = Start();
  ASSERT_TRUE(host->Click("chkRunProgramMini"));
  ASSERT_TRUE(host->Click("chkRunProgramMini"));
  EXPECT_EQ(form.chkRunProgramMini.Value(), 0);
  EXPECT_TRUE(form.cmdSave.Enabled());
}

TEST_F(MainSettings, ASavedEntryFollowsTheProgramToItsNewFolder) {
  registry.PutString(kHKeyLocalMachine, kSettings, "chkRunMainProgram", "1");
  registry.PutString(kHKeyCurrentUser, kRunKey, "Zephyrnet", "\"C:\\Old\\zephyrnet.exe\"");
  MainSettingsForm& form = Start("D:\\Tools\\Zephyrnet");
  EXPECT_EQ(form.chkRunMainProgram.Value(), 1);
  EXPECT_FALSE(form.cmdSave.Enabled());
  EXPECT_EQ(RunEntry(), "\"D:\\Tools\\Zephyrnet\\zephyrnet.exe\"");
}

TEST_F(MainSettings, StoredValuesThatAreNotZeroOneOrTwoReadAsUnchecked) {
  for (const char* stored : {"abc", "", "1.5", " 1", "7", "-1", "99999999999"}) {
    EXPECT_EQ(CheckBoxValueOf(stored), 0) << '"' << stored << '"';
  }
  EXPECT_EQ(CheckBoxValueOf("1"), 1);
  EXPECT_EQ(CheckBoxValueOf("2"), 2);
  registry.PutString(kHKeyLocalMachine, kSettings, "chkRunMainProgram", "yes");
  MainSettingsForm& form = Start();
  EXPECT_EQ(form.chkRunMainProgram.Value(), 0);
  EXPECT_EQ(RunEntry(), std::nullopt);
}

TEST_F(MainSettings, StartInTrayHidesTheWindowAtStartUp) {
  registry.PutString(kHKeyLocalMachine, kSettings, "chkRunProgramMini", "1");
  Start();
  EXPECT_FALSE(program->mainWindow().Visible());
  program->ShowMainWindow();
  EXPECT_TRUE(program->mainWindow().Visible());
}

TEST_F(MainSettings, AnElevatedProgramOnVistaStartsThroughItsLogonTaskAndTheThreeAgree) {
  scheduler.elevatedOnVista = true;
  registry.PutString(kHKeyCurrentUser, kRunKey, "Zephyrnet", "\"C:\\Old\\zephyrnet.exe\"");
  MainSettingsForm& form = Start();
  ASSERT_TRUE(host->Click("chkRunMainProgram"));
  ASSERT_TRUE(host->Click("cmdSave"));
  EXPECT_FALSE(form.cmdSave.Enabled());
  ASSERT_EQ(scheduler.tasks.count("Zephyrnet (alice)"), 1u);
  EXPECT_EQ(scheduler.tasks["Zephyrnet (alice)"].user, "CORP\\alice");
  EXPECT_EQ(scheduler.tasks["Zephyrnet (alice)"].program,
            "C:\\Program Files\\Zephyr Net\\zephyrnet.exe");
  // Windows would not start the elevated program from it.
  EXPECT_EQ(RunEntry(), std::nullopt);

  // The same user started without elevation: the Run entry works for it, so it takes over.
  scheduler.elevatedOnVista = false;
  Start("D:\\Tools");
  EXPECT_EQ(RunEntry(), "\"D:\\Tools\\zephyrnet.exe\"");
  EXPECT_TRUE(scheduler.tasks.empty());

  scheduler.elevatedOnVista = true;
  MainSettingsForm& again = Start();
  EXPECT_EQ(RunEntry(), std::nullopt);
  ASSERT_TRUE(host->Click("chkRunMainProgram"));
  ASSERT_TRUE(host->Click("cmdSave"));
  EXPECT_FALSE(again.cmdSave.Enabled());
  EXPECT_TRUE(scheduler.tasks.empty());
  EXPECT_EQ(RunEntry(), std::nullopt);
  EXPECT_EQ(Stored("chkRunMainProgram"), "0");
}

TEST_F(MainSettings, ATaskTheSchedulerRefusesIsToldAndNothingIsSaved) {
  scheduler.elevatedOnVista = true;
  scheduler.refuse = "Access is denied.";
  MainSettingsForm& form = Start();
  ASSERT_TRUE(host->Click("chkRunMainProgram"));
  ASSERT_TRUE(host->Click("cmdSave"));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_NE(dialogs.shown[0].text.find("Task Scheduler"), std::string::npos);
  EXPECT_NE(dialogs.shown[0].text.find("Access is denied."), std::string::npos);
  EXPECT_TRUE(form.cmdSave.Enabled());
  EXPECT_EQ(Stored("chkRunMainProgram"), std::nullopt);
  EXPECT_EQ(RunEntry(), std::nullopt);
}

TEST_F(MainSettings, TheLogonTaskIsNamedPerUserAndItsDefinitionCarriesThePathSafely) {
  EXPECT_EQ(LogonTaskName("CORP\\alice"), "Zephyrnet (alice)");
  EXPECT_EQ(LogonTaskName("bob"), "Zephyrnet (bob)");
  EXPECT_EQ(LogonTaskName("a:b*c"), "Zephyrnet (a_b_c)");
  const std::string xml = LogonTaskXml("CORP\\a&b", "C:\\R&D <x>\\zephyrnet.exe");
  EXPECT_NE(xml.find("<Command>C:\\R&amp;D &lt;x&gt;\\zephyrnet.exe</Command>"),
            std::string::npos);
  EXPECT_NE(xml.find("<UserId>CORP\\a&amp;b</UserId></LogonTrigger>"), std::string::npos);
  EXPECT_NE(xml.find("<RunLevel>HighestAvailable</RunLevel>"), std::string::npos);
}

}  // namespace
}  // namespace zephyr::testing
