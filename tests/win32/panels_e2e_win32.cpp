// The panels as a user meets them: zephyrnet.exe started as Windows 98 or Windows XP
// (--as=win98 / --as=winxp), the wizard, the advanced mode, the backup manager, the pinger and
// the memory panels driven through their windows, and the outcome read back with the registry API
// itself.
//
// The driver sets Wine's version for zephyrnet.exe before each start and removes it afterwards.
// Every test starts the program from a fresh folder of its own (an empty Backups folder), and puts
// back the registry values it touched. It changes the
// machine's TCP/IP values, so it runs only where ZEPHYR_DISPOSABLE_REGISTRY says the registry is
// a throw-away one (the private Wine prefix).
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/file_system_win32.h"
#include "backup/backup_file.h"
#include "backup/backup_manager_form.h"
#include "tuning/presets.h"
#include "tuning/registry_layout.h"
#include "tuning/tuning_params.h"
#include "win32/automation_win32.h"
#include "win32/program_under_test_win32.h"

namespace {

using namespace zephyr::automation;
namespace fs = std::filesystem;

std::string g_version = "winxp";  // Wine's name of the Windows version to run as

bool Nt() { return g_version != "win98" && g_version != "win95" && g_version != "winme"; }
zephyr::OsCode Code() { return Nt() ? 7 : 3; }

constexpr char kAppDefaults[] = "Software\\Wine\\AppDefaults\\zephyrnet.exe";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// An adapter of our own, so that the per-adapter values are written somewhere.
constexpr char kOwnInterface[] = "{5A1E0000-0000-4000-8000-0000000E2E01}";
constexpr char kOwnTransport[] = "0991";

HKEY Hive(zephyr::RegKey hive) {
  return hive == zephyr::kHKeyCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// What the registry holds after a write of the plan.
Stored Expected(const zephyr::TuningWrite& write) {
  if (write.remove) return {};
  // The write's own type: REG_DWORD on the NT family and for Windows 98's own window limit.
  if (write.type == REG_DWORD) {
    const auto value = static_cast<std::uint32_t>(write.value);
    return {true, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4)};
  }
  return {true, REG_SZ, std::to_string(write.value) + '\0'};
}

std::string Where(const zephyr::TuningWrite& write) {
  return write.keyPath + "\\" + (write.valueName.empty() ? "(default)" : write.valueName);
}

std::string TextOf(HWND hwnd) {
  char text[512] = {};
  SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

bool Says(HWND box, const std::string& part) {
  for (HWND child : Descendants(box)) {
    if (TextOf(child).find(part) != std::string::npos) return true;
  }
  return false;
}

// Memory inside the program, for the list view messages that carry pointers.
class RemoteMemory {
 public:
  RemoteMemory(HANDLE process, std::size_t size)
      : process_(process),
        address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE)) {}
  ~RemoteMemory() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  char* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
  void Write(std::size_t offset, const void* data, std::size_t size) const {
    WriteProcessMemory(process_, at(offset), data, size, nullptr);
  }
  void Read(std::size_t offset, void* data, std::size_t size) const {
    ReadProcessMemory(process_, at(offset), data, size, nullptr);
  }

 private:
  HANDLE process_;
  void* address_;
};

class Panels : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("ZEPHYR_DISPOSABLE_REGISTRY")) {
      GTEST_SKIP() << "changes the machine's TCP/IP settings; runs only in the test Wine prefix";
    }
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    ASSERT_TRUE(program_.Prepare(std::string(test->name()) + "_" + g_version));

    // Our own adapter, removed again afterwards.
    adapterKey_ = Nt() ? zephyr::layout::InterfaceKey(kOwnInterface)
                       : zephyr::layout::TransportKey(kOwnTransport);
    ownKeys_ = {adapterKey_};
    if (Nt()) ownKeys_.push_back(std::string(zephyr::layout::kServicesKey) + "\\" + kOwnInterface);
    for (const std::string& key : ownKeys_) ownKeyExisted_.push_back(KeyExists(HKEY_LOCAL_MACHINE, key));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, adapterKey_.c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS | ProgramView(), nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    subkeys_ = Subkeys(HKEY_LOCAL_MACHINE, std::string(Nt() ? zephyr::layout::kInterfacesKey
                                        : zephyr::layout::kNetTransKey));

    // Every value any apply or restore touches, to put back afterwards. The apply's writes are
    // the entries the backup records.
    for (const zephyr::TuningWrite& write : Plan(zephyr::InitPresets()[0])) {
      saved_.push_back({write, ReadReal(Hive(write.hive), write.keyPath, write.valueName)});
    }
    runBefore_ = AllValues(HKEY_CURRENT_USER, kRunKey);

    HKEY defaults = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &defaults, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(defaults, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(g_version.c_str()),
                   static_cast<DWORD>(g_version.size() + 1));
    RegCloseKey(defaults);
    versionSet_ = true;
  }

  void TearDown() override {
    program_.End();
    if (versionSet_) RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults);
    for (const auto& [write, before] : saved_) {
      WriteReal(Hive(write.hive), write.keyPath, write.valueName, before);
    }
    for (std::size_t index = 0; index < ownKeys_.size(); ++index) {
      if (!ownKeyExisted_[index]) SHDeleteKeyA(HKEY_LOCAL_MACHINE, ownKeys_[index].c_str());
    }
    if (!program_.folder().empty()) {
      std::error_code error;
      fs::remove_all(program_.folder(), error);
    }
  }

  fs::path BackupFolder() const { return fs::path(program_.folder()) / "Backups"; }

  // The backup files, without their records of earlier values and the manager's index.
  std::set<std::string> BackupFiles() const {
    std::set<std::string> names;
    std::error_code error;
    for (fs::directory_iterator entry(BackupFolder(), error), end; !error && entry != end;
         entry.increment(error)) {
      const std::string name = entry->path().filename().string();
      if (zephyr::IsBackupFileName(name)) names.insert(name);
    }
    return names;
  }

  HWND Await(const std::string& what, const std::function<HWND()>& found) const {
    return program_.Await(what, found);
  }

  std::vector<zephyr::TuningWrite> Plan(const zephyr::TuningParams& params) const {
    return zephyr::PlanTuningWrites(params, Code(), subkeys_);
  }

  // Puts the values of a tuning set into the registry directly, as a known starting point.
  void Seed(const zephyr::TuningParams& params) {
    for (const zephyr::TuningWrite& write : Plan(params)) {
      WriteReal(Hive(write.hive), write.keyPath, write.valueName, Expected(write));
    }
  }

  void ExpectRegistryHolds(const zephyr::TuningParams& params) {
    for (const zephyr::TuningWrite& write : Plan(params)) {
      const Stored stored = ReadReal(Hive(write.hive), write.keyPath, write.valueName);
      const Stored expected = Expected(write);
      EXPECT_EQ(stored.present, expected.present) << Where(write);
      EXPECT_EQ(stored.type, expected.type) << Where(write);
      EXPECT_EQ(stored.data, expected.data) << Where(write);
    }
  }

  void StartProgram() {
    ASSERT_TRUE(program_.Start());
    main_ = Await("the main window frmMain", [this] { return FindTop(program_.id(), "frmMain"); });
    ASSERT_TRUE(main_);
  }

  void PressMovie(const std::string& command, const std::string& via = {}) {
    ASSERT_TRUE(PressMovieButton(main_, command, via))
        << "no visible movie button sends " << command << (via.empty() ? "" : " via " + via);
  }

  // A panel shown before stays visible behind the movie, so the wait is for its frame in front
  // of the movie again: by then the program has handled the command (a list filled afresh).
  HWND OpenPanel(const std::string& command, const std::string& form) {
    PressMovie(command, "network");
    return Await("the panel " + form + " in front of the movie", [&]() -> HWND {
      HWND panel = FindVisible(main_, form);
      return panel && !MovieCovers(panel) ? panel : nullptr;
    });
  }

  // Whether the movie is in front of the panel's frame again: the movie's home.
  bool MovieCovers(HWND panel) {
    HWND flash = FindNamed(main_, "flash");
    HWND frame = GetParent(panel);
    if (!flash || !IsWindowVisible(panel)) return true;
    for (HWND below = GetWindow(flash, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT)) {
      if (below == frame) return true;
    }
    return false;
  }

  bool WaitHome(HWND panel) {
    return Await("the movie in front of " + NameOf(panel) + " again",
                 [&]() -> HWND { return MovieCovers(panel) ? panel : nullptr; });
  }

  // Clicks a button as a user would: its window comes to the front first. A button in a window
  // that is not the active one may let BM_CLICK pass, and after a message box closes Wine can be
  // slow to make the program's window active again.
  static void ClickButton(HWND button) {
    SetForegroundWindow(GetAncestor(button, GA_ROOT));
    PostMessageA(button, BM_CLICK, 0, 0);
  }

  // Clicks Restore once it is enabled and answers the program's question with Yes.
  ::testing::AssertionResult ConfirmRestore(HWND restore) {
    if (!Await("cmdRestore enabled",
               [&]() -> HWND { return IsWindowEnabled(restore) ? restore : nullptr; })) {
      return ::testing::AssertionFailure() << "cmdRestore stayed disabled";
    }
    ClickButton(restore);
    HWND question = WaitBox(zephyr::kRestoreQuestion);
    if (!question) return ::testing::AssertionFailure() << "no question before the restore";
    Press(question, IDYES);
    return ::testing::AssertionSuccess();
  }

  // The program's message box that says `part`, once it is on screen with its text.
  HWND WaitBox(const std::string& part) {
    return Await("a message box saying \"" + part + "\"", [&]() -> HWND {
      HWND found = FindTop(program_.id(), "", "#32770");
      return found && IsWindowVisible(found) && Says(found, part) ? found : nullptr;
    });
  }

  static void Press(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    if (button) {
      PostMessageA(button, BM_CLICK, 0, 0);
    } else {
      PostMessageA(box, WM_COMMAND, id, 0);
    }
  }

  // The list view item as the program lays it out: a 64-bit driver of the 32-bit exe writes the
  // 32-bit layout, its pointers 4 bytes wide.
  struct LvItem32 {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    DWORD pszText;
    int cchTextMax;
    int iImage;
    DWORD lParam;
  };
  static constexpr std::size_t kItemBytes = sizeof(LVITEMA);

  void WriteItem(const RemoteMemory& memory, UINT state, UINT stateMask, char* text, int size) {
    if (ProgramView() != 0) {
      LvItem32 item{};
      item.state = state;
      item.stateMask = stateMask;
      item.pszText = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(text));
      item.cchTextMax = size;
      memory.Write(0, &item, sizeof item);
    } else {
      LVITEMA item{};
      item.state = state;
      item.stateMask = stateMask;
      item.pszText = text;
      item.cchTextMax = size;
      memory.Write(0, &item, sizeof item);
    }
  }

  // Texts of the list's items, in list order.
  std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    RemoteMemory memory(program_.handle(), kItemBytes + 260);
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
      WriteItem(memory, 0, 0, memory.at(kItemBytes), 260);
      SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(memory.at(0)));
      char text[260] = {};
      memory.Read(kItemBytes, text, sizeof text - 1);
      items.emplace_back(text);
    }
    return items;
  }

  // Selects the item named `name`, as the keyboard would.
  bool SelectItem(HWND list, const std::string& name) {
    const auto items = ListItems(list);
    const auto found = std::find(items.begin(), items.end(), name);
    if (found == items.end()) return false;
    RemoteMemory memory(program_.handle(), kItemBytes);
    WriteItem(memory, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED, nullptr, 0);
    SendMessageA(list, LVM_SETITEMSTATE, found - items.begin(),
                 reinterpret_cast<LPARAM>(memory.at(0)));
    return true;
  }

  ProgramUnderTest program_;
  HWND main_ = nullptr;
  std::string adapterKey_;
  std::vector<std::string> subkeys_;
  std::vector<std::pair<zephyr::TuningWrite, Stored>> saved_;
  std::map<std::string, Stored> runBefore_;

 private:
  bool versionSet_ = false;
  std::vector<std::string> ownKeys_;
  std::vector<bool> ownKeyExisted_;
};

TEST_F(Panels, WizardAutomaticCWritesTheLayoutBacksUpAndReturnsHome) {
  const auto presets = zephyr::InitPresets();
  // Automatic-D first, so that the removals of Automatic-C have something to remove.
  Seed(presets[3]);
  const auto before = BackupFiles();
  StartProgram();
  HWND panel = OpenPanel("IDC_FS_wizardMode", "frmWizardMode");
  ASSERT_TRUE(panel) << "the wizard is not shown";
  HWND option = FindNamed(panel, "optMode(2)");
  HWND optimize = FindNamed(panel, "cmdOptimize");
  ASSERT_TRUE(option && optimize);
  SendMessageA(option, BM_CLICK, 0, 0);

  // Cancel in the preview writes nothing and takes no backup.
  const auto dump = [this] {
    std::vector<Stored> values;
    for (const zephyr::TuningWrite& write : Plan(zephyr::InitPresets()[2])) {
      values.push_back(ReadReal(Hive(write.hive), write.keyPath, write.valueName));
    }
    return values;
  };
  const auto untouched = dump();
  PostMessageA(optimize, BM_CLICK, 0, 0);
  ASSERT_TRUE(AnswerPreview(program_.id(), "cmdCancel")) << "no preview after Optimize";
  ASSERT_TRUE(Await("the preview gone", [this]() -> HWND {
    return FindTop(program_.id(), "frmPreview") ? nullptr : main_;
  }));
  EXPECT_TRUE(dump() == untouched) << "Cancel changed the registry";
  EXPECT_EQ(BackupFiles(), before) << "Cancel left a backup";

  PostMessageA(optimize, BM_CLICK, 0, 0);
  ASSERT_TRUE(AnswerPreview(program_.id(), "cmdApply")) << "no preview after Optimize";
  EXPECT_TRUE(WaitHome(panel)) << "the movie did not come back after Optimize";

  ExpectRegistryHolds(presets[2]);
  std::vector<std::string> added;
  for (const std::string& name : BackupFiles()) {
    if (!before.count(name)) added.push_back(name);
  }
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(zephyr::BackupFileName(zephyr::BackupNumberOf(added[0])), added[0]);
  zephyr::FileSystemWin32 files;
  const auto read = zephyr::ReadBackupFile(files, (BackupFolder() / added[0]).string());
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.backup->osCode, Code());
}

// Automatic-C applied and put back from its backup with the mouse and the program's own boxes:
// nothing here reads the program's memory, which a program emulated by qemu-i386 keeps at
// other addresses than another process sees (the list view's item messages need it).
TEST_F(Panels, AutomaticCIsRestoredFromItsBackupWithTheMouse) {
  const auto presets = zephyr::InitPresets();
  Seed(presets[3]);
  std::vector<Stored> before;
  for (const zephyr::TuningWrite& write : Plan(presets[3])) {
    before.push_back(ReadReal(Hive(write.hive), write.keyPath, write.valueName));
  }
  StartProgram();
  HWND wizard = OpenPanel("IDC_FS_wizardMode", "frmWizardMode");
  ASSERT_TRUE(wizard);
  SendMessageA(FindNamed(wizard, "optMode(2)"), BM_CLICK, 0, 0);
  PostMessageA(FindNamed(wizard, "cmdOptimize"), BM_CLICK, 0, 0);
  ASSERT_TRUE(AnswerPreview(program_.id(), "cmdApply")) << "no preview after Optimize";
  ASSERT_TRUE(WaitHome(wizard));
  ExpectRegistryHolds(presets[2]);
  ASSERT_EQ(BackupFiles().size(), 1u);

  HWND panel = OpenPanel("IDC_FS_backupManger", "frmBackUp");
  ASSERT_TRUE(panel);
  HWND list = FindNamed(panel, "lstBackUpList");
  HWND restore = FindNamed(panel, "cmdRestore");
  ASSERT_TRUE(list && restore);
  ASSERT_TRUE(Await("the backup in the list", [&]() -> HWND {
    return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 1 ? list : nullptr;
  }));
  // A click on the first row, just below the column headers.
  RECT header{};
  GetWindowRect(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0)), &header);
  POINT row{header.left + 20, header.bottom + 6};
  ScreenToClient(list, &row);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(row.x, row.y));
  PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(row.x, row.y));
  ASSERT_TRUE(ConfirmRestore(restore));
  ASSERT_TRUE(WaitHome(panel));
  const auto writes = Plan(presets[3]);
  for (std::size_t i = 0; i < writes.size(); ++i) {
    EXPECT_EQ(ReadReal(Hive(writes[i].hive), writes[i].keyPath, writes[i].valueName), before[i])
        << Where(writes[i]);
  }
}

TEST_F(Panels, AdvancedModeAppliesTheCableModemRecommendationsAndRevertsABadTTL) {
  const auto presets = zephyr::InitPresets();
  Seed(presets[3]);
  StartProgram();
  HWND panel = OpenPanel("IDC_FS_normalMode", "frmNormalMode");
  ASSERT_TRUE(panel) << "the advanced mode is not shown";
  HWND cable = FindNamed(panel, "optConnType(1)");
  HWND next = FindNamed(panel, "cmdNextPage");
  ASSERT_TRUE(cable && next);
  SendMessageA(cable, BM_CLICK, 0, 0);

  const auto goTo = [&](int page) {
    PostMessageA(next, BM_CLICK, 0, 0);
    const std::string form = "frmWizardPages(" + std::to_string(page) + ")";
    return Await("the page " + form, [&] { return FindVisible(panel, form); });
  };
  for (int page = 1; page <= 4; ++page) ASSERT_TRUE(goTo(page)) << "page " << page;

  HWND ttl = FindVisible(panel, "txtTTLValue");
  ASSERT_TRUE(ttl);
  EXPECT_EQ(TextOf(ttl), "64");
  // Typed text goes through the edit control, which reports the change to the program.
  SendMessageA(ttl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
  EXPECT_TRUE(Await("the TTL box back at 64",
                    [&]() -> HWND { return TextOf(ttl) == "64" ? ttl : nullptr; }));

  for (int page = 5; page <= 7; ++page) ASSERT_TRUE(goTo(page)) << "page " << page;
  EXPECT_EQ(TextOf(next), "Finish");
  PostMessageA(next, BM_CLICK, 0, 0);
  ASSERT_TRUE(AnswerPreview(program_.id(), "cmdApply")) << "no preview after Finish";
  EXPECT_TRUE(WaitHome(panel)) << "the movie did not come back after Finish";

  // A cable modem's recommendations on every page are the values of Automatic-E.
  zephyr::TuningParams expected = presets[4];
  expected.MTU = 1500;
  expected.MSS = 1460;
  expected.RWIN = 1460 * 44 * 4;
  expected.TTL = 64;
  ExpectRegistryHolds(expected);
}

TEST_F(Panels, BackupManagerRestoresRefusesAForeignKeyAndDeletes) {
  const auto presets = zephyr::InitPresets();
  Seed(presets[3]);
  std::map<std::string, Stored> remembered;
  for (const zephyr::TuningWrite& write : Plan(presets[3])) {
    remembered[Where(write) + (write.hive == zephyr::kHKeyCurrentUser ? " (HKCU)" : "")] =
        ReadReal(Hive(write.hive), write.keyPath, write.valueName);
  }
  const auto before = BackupFiles();
  StartProgram();

  // Automatic-E through the wizard.
  HWND wizard = OpenPanel("IDC_FS_wizardMode", "frmWizardMode");
  ASSERT_TRUE(wizard);
  SendMessageA(FindNamed(wizard, "optMode(4)"), BM_CLICK, 0, 0);
  PostMessageA(FindNamed(wizard, "cmdOptimize"), BM_CLICK, 0, 0);
  ASSERT_TRUE(AnswerPreview(program_.id(), "cmdApply"));
  ASSERT_TRUE(WaitHome(wizard));
  ExpectRegistryHolds(presets[4]);
  std::string newest;
  for (const std::string& name : BackupFiles()) {
    if (!before.count(name)) newest = name;
  }
  ASSERT_FALSE(newest.empty()) << "the apply left no backup";

  // A file that would write into the Run key, made from the real one.
  zephyr::FileSystemWin32 files;
  const auto read = zephyr::ReadBackupFile(files, (BackupFolder() / newest).string());
  ASSERT_TRUE(read.ok()) << read.error;
  zephyr::BackupFile crafted = *read.backup;
  ASSERT_GE(crafted.groups.size(), 2u);
  crafted.groups[1].keyPath = kRunKey;
  const std::string craftedName = "998.BCK";
  ASSERT_FALSE(fs::exists(BackupFolder() / craftedName));
  {
    std::ofstream out(BackupFolder() / craftedName, std::ios::binary);
    out << zephyr::SerializeBackup(crafted);
  }

  HWND panel = OpenPanel("IDC_FS_backupManger", "frmBackUp");
  ASSERT_TRUE(panel);
  HWND list = FindNamed(panel, "lstBackUpList");
  HWND restore = FindNamed(panel, "cmdRestore");
  HWND remove = FindNamed(panel, "cmdDelete");
  ASSERT_TRUE(list && restore && remove);
  // The list is filled as the panel loads, which a slow (emulated) program may not have done yet.
  EXPECT_TRUE(Await("the list with " + newest + " and " + craftedName, [&]() -> HWND {
    const auto items = ListItems(list);
    const bool both = std::find(items.begin(), items.end(), newest) != items.end() &&
                      std::find(items.begin(), items.end(), craftedName) != items.end();
    return both ? list : nullptr;
  }));

  // Restore of the backup the apply wrote.
  ASSERT_TRUE(SelectItem(list, newest));
  ASSERT_TRUE(ConfirmRestore(restore));
  ASSERT_TRUE(WaitHome(panel));
  for (const zephyr::TuningWrite& write : Plan(presets[3])) {
    const std::string where =
        Where(write) + (write.hive == zephyr::kHKeyCurrentUser ? " (HKCU)" : "");
    EXPECT_EQ(ReadReal(Hive(write.hive), write.keyPath, write.valueName), remembered[where])
        << where;
  }

  // The crafted file is refused and the Run key keeps what it had.
  panel = OpenPanel("IDC_FS_backupManger", "frmBackUp");
  ASSERT_TRUE(panel);
  list = FindNamed(panel, "lstBackUpList");
  restore = FindNamed(panel, "cmdRestore");
  remove = FindNamed(panel, "cmdDelete");
  ASSERT_TRUE(SelectItem(list, craftedName));
  ASSERT_TRUE(ConfirmRestore(restore));
  HWND refusal = WaitBox("is damaged");
  ASSERT_TRUE(refusal) << "no message refusing the crafted file";
  Press(refusal, IDOK);
  EXPECT_TRUE(WaitHome(panel));
  EXPECT_EQ(AllValues(HKEY_CURRENT_USER, kRunKey), runBefore_);

  // Deleting the crafted file through the panel.
  panel = OpenPanel("IDC_FS_backupManger", "frmBackUp");
  ASSERT_TRUE(panel);
  list = FindNamed(panel, "lstBackUpList");
  remove = FindNamed(panel, "cmdDelete");
  ASSERT_TRUE(SelectItem(list, craftedName));
  ASSERT_TRUE(Await("cmdDelete enabled",
                    [&]() -> HWND { return IsWindowEnabled(remove) ? remove : nullptr; }));
  ClickButton(remove);
  HWND question = WaitBox(zephyr::kDeleteQuestion);
  ASSERT_TRUE(question) << "no question before the delete";
  Press(question, IDYES);
  EXPECT_TRUE(Await(craftedName + " gone from the list", [&]() -> HWND {
    const auto now = ListItems(list);
    return std::find(now.begin(), now.end(), craftedName) == now.end() ? list : nullptr;
  }));
  EXPECT_FALSE(fs::exists(BackupFolder() / craftedName));
  const auto now = ListItems(list);
  EXPECT_NE(std::find(now.begin(), now.end(), newest), now.end()) << "the other file went too";
}

// A settings key of the program's, its values put back as they were however the test ends.
class SettingsGuard {
 public:
  explicit SettingsGuard(std::string panel)
      : key_("SOFTWARE\\Corvanta\\Zephyrnet\\Settings\\" + std::move(panel)),
        before_(AllValues(HKEY_LOCAL_MACHINE, key_)) {}
  ~SettingsGuard() {
    for (const auto& [name, value] : AllValues(HKEY_LOCAL_MACHINE, key_)) {
      const auto found = before_.find(name);
      WriteReal(HKEY_LOCAL_MACHINE, key_, name, found == before_.end() ? Stored{} : found->second);
    }
  }
  SettingsGuard(const SettingsGuard&) = delete;
  SettingsGuard& operator=(const SettingsGuard&) = delete;
  // The value as the panel saved it, or "(missing)".
  std::string Text(const std::string& name) const {
    const Stored stored = ReadReal(HKEY_LOCAL_MACHINE, key_, name);
    if (!stored.present || stored.type != REG_SZ) return "(missing)";
    return std::string(stored.data.c_str());
  }

 private:
  std::string key_;
  std::map<std::string, Stored> before_;
};

TEST_F(Panels, PingerManualLoopbackIsSavedAnsweredAndLoadedAgain) {
  SettingsGuard guard("NetPinger");
  StartProgram();
  PressMovie("IDC_FS_pingSetting", "pinger");
  HWND panel = Await("the panel frmNetPingerSettings",
                     [&] { return FindVisible(main_, "frmNetPingerSettings"); });
  ASSERT_TRUE(panel);
  HWND enable = FindNamed(panel, "chkDoPinging");
  HWND manual = FindNamed(panel, "optManual");
  HWND host = FindNamed(panel, "txtPingHost");
  HWND interval = FindNamed(panel, "cmbPingInterval");
  HWND save = FindNamed(panel, "cmdSave");
  HWND pingNow = FindNamed(panel, "cmdPingNow");
  HWND lastPing = FindNamed(panel, "lblLastPing");
  ASSERT_TRUE(enable && manual && host && interval && save && pingNow && lastPing);
  SendMessageA(enable, BM_CLICK, 0, 0);
  SendMessageA(manual, BM_CLICK, 0, 0);
  SendMessageA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("127.0.0.1"));
  // The first item, "1 min.", as the user picks it from the list.
  SendMessageA(interval, CB_SETCURSEL, 0, 0);
  SendMessageA(GetParent(interval), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(interval), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(interval));
  EXPECT_EQ(TextOf(interval), "1 min.");
  ASSERT_TRUE(Await("cmdSave enabled",
                    [&]() -> HWND { return IsWindowEnabled(save) ? save : nullptr; }));
  PostMessageA(save, BM_CLICK, 0, 0);
  // Save disables itself before it writes; the values go in table order, "chkSound" last.
  ASSERT_TRUE(Await("the pinger settings stored", [&]() -> HWND {
    return guard.Text("chkSound") == "(missing)" ? nullptr : save;
  }));
  EXPECT_FALSE(IsWindowEnabled(save));
  const std::vector<std::pair<std::string, std::string>> written = {
      {"chkDoPinging", "1"}, {"optAuto", "False"},          {"optManual", "True"},
      {"txtPingHost", "127.0.0.1"}, {"cmbPingInterval", "0"}, {"chkSound", "0"}};
  for (const auto& [name, text] : written) EXPECT_EQ(guard.Text(name), text) << name;

  PostMessageA(pingNow, BM_CLICK, 0, 0);
  EXPECT_TRUE(Await("the last-ping line telling an answer from 127.0.0.1", [&]() -> HWND {
    const std::string line = TextOf(lastPing);
    return line.find("127.0.0.1") != std::string::npos &&
                   line.find("answered in") != std::string::npos
               ? lastPing
               : nullptr;
  })) << TextOf(lastPing);

  // The next start reads them back.
  program_.End();
  StartProgram();
  PressMovie("IDC_FS_pingSetting", "pinger");
  panel = Await("the panel frmNetPingerSettings again",
                [&] { return FindVisible(main_, "frmNetPingerSettings"); });
  ASSERT_TRUE(panel);
  EXPECT_EQ(SendMessageA(FindNamed(panel, "chkDoPinging"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(FindNamed(panel, "optManual"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(TextOf(FindNamed(panel, "txtPingHost")), "127.0.0.1");
  EXPECT_EQ(TextOf(FindNamed(panel, "cmbPingInterval")), "1 min.");
  EXPECT_FALSE(IsWindowEnabled(FindNamed(panel, "cmdSave")));
}

// The number in a caption such as "Processor usage (37%)."; -1 when there is none.
int FigureIn(const std::string& caption) {
  const auto open = caption.find('(');
  if (open == std::string::npos || open + 1 >= caption.size() ||
      !std::isdigit(static_cast<unsigned char>(caption[open + 1]))) {
    return -1;
  }
  return std::atoi(caption.c_str() + open + 1);
}

TEST_F(Panels, SystemStatusGraphsRealFiguresAndOptimizeNowTellsWhatItFreed) {
  StartProgram();
  PressMovie("IDC_FS_systemSatus", "memory");
  HWND panel = Await("the panel frmSystemStatus",
                     [&] { return FindVisible(main_, "frmSystemStatus"); });
  ASSERT_TRUE(panel);
  HWND cpu = FindNamed(panel, "frameCPUUsage");
  HWND memory = FindNamed(panel, "fameMemoryUsage");
  ASSERT_TRUE(cpu && memory && FindVisible(panel, "histCPU") && FindVisible(panel, "histMemory"));
  // Real figures: free memory is a share above 0, and the processor figure follows a busy core.
  ASSERT_TRUE(Await("a memory figure", [&]() -> HWND {
    const int free = FigureIn(TextOf(memory));
    return free > 0 && free <= 100 ? memory : nullptr;
  })) << TextOf(memory);
  ASSERT_TRUE(Await("a processor figure", [&]() -> HWND {
    return FigureIn(TextOf(cpu)) >= 0 ? cpu : nullptr;
  })) << TextOf(cpu);
  const std::string idle = TextOf(cpu);
  // A core kept busy moves the figure, unless the machine is already saturated by others.
  if (FigureIn(idle) < 90) {
    std::atomic<bool> spinning{true};
    std::thread busy([&] {
      while (spinning.load(std::memory_order_relaxed)) {
      }
    });
    const HWND changed = Await("the processor figure to change with a core busy", [&]() -> HWND {
      const std::string now = TextOf(cpu);
      return now != idle && FigureIn(now) >= 0 ? cpu : nullptr;
    });
    spinning = false;
    busy.join();
    EXPECT_TRUE(changed) << "stayed at " << idle;
  } else {
    std::printf("note: the processors are busy already (%s); no core was added\n", idle.c_str());
  }

  HWND slider = FindNamed(panel, "sldFreeMomoryReq");
  HWND optimize = FindNamed(panel, "cmdOptimaize");
  HWND freed = FindNamed(panel, "lblFreedMemory");
  ASSERT_TRUE(slider && optimize && freed);
  // The slider runs over the machine's whole memory in MB: above 4 GB a 32-bit figure that wrapped
  // or was capped would show here.
  struct {
    DWORD dwLength, dwMemoryLoad;
    DWORDLONG ullTotalPhys, ullAvailPhys, ullTotalPageFile, ullAvailPageFile, ullTotalVirtual,
        ullAvailVirtual, ullAvailExtendedVirtual;
  } status{};
  status.dwLength = sizeof status;
  using StatusEx = BOOL(WINAPI*)(decltype(status)*);
  const auto statusEx = reinterpret_cast<StatusEx>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GlobalMemoryStatusEx")));
  ASSERT_TRUE(statusEx && statusEx(&status));
  const double totalMb = static_cast<double>(status.ullTotalPhys) / (1024.0 * 1024.0);
  EXPECT_NEAR(static_cast<double>(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0)), totalMb, 1.0);
  SendMessageA(slider, TBM_SETPOS, TRUE, 64);
  SendMessageA(GetParent(slider), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
               reinterpret_cast<LPARAM>(slider));
  EXPECT_EQ(TextOf(FindNamed(panel, "lblTargetMemoryNeeded")), "Target Level Of RAM 64MB.");
  PostMessageA(optimize, BM_CLICK, 0, 0);
  EXPECT_TRUE(Await("what Optimize Now freed", [&]() -> HWND {
    const std::string text = TextOf(freed);
    return text.rfind("Optimize Now", 0) == 0 && text.find("MB free before") != std::string::npos
               ? freed
               : nullptr;
  })) << TextOf(freed);
}

TEST_F(Panels, RamSettingsSavedThroughTheControlsLandInTheRegistryAsWritten) {
  SettingsGuard guard("RamSettings");
  StartProgram();
  PressMovie("IDC_FS_ramConfig", "memory");
  HWND panel = Await("the panel frmRamConfiguration",
                     [&] { return FindVisible(main_, "frmRamConfiguration"); });
  ASSERT_TRUE(panel);
  const auto named = [&](const char* name) {
    HWND found = FindNamed(panel, name);
    EXPECT_TRUE(found) << name;
    return found;
  };
  HWND save = named("cmdSave");
  ASSERT_TRUE(save);
  EXPECT_FALSE(IsWindowEnabled(save));
  SendMessageA(named("chkSoundon"), BM_CLICK, 0, 0);
  SendMessageA(named("chkAutomatic"), BM_CLICK, 0, 0);
  SendMessageA(named("optPer"), BM_CLICK, 0, 0);
  for (auto [box, text] : {std::pair{"txtAlarm", "400"}, {"txtFreeAlarm", "abc"},
                           {"txtTimeCheck", "250"}, {"txtRunOnly", "300"},
                           {"txtRetryOptimization", "3"}}) {
    SendMessageA(named(box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  }
  // Letters revert to the value loaded last.
  EXPECT_EQ(TextOf(named("txtFreeAlarm")), "10");
  ASSERT_TRUE(Await("cmdSave enabled",
                    [&]() -> HWND { return IsWindowEnabled(save) ? save : nullptr; }));
  PostMessageA(save, BM_CLICK, 0, 0);
  ASSERT_TRUE(Await("the RAM settings stored", [&]() -> HWND {
    return guard.Text("txtRetryOptimization") == "(missing)" ? nullptr : save;
  }));
  // 300 is beyond the percent unit's limit: the up-down keeps 100.
  const std::vector<std::pair<std::string, std::string>> written = {
      {"chkSoundon", "1"},   {"chkAutomatic", "1"}, {"txtAlarm", "400"},
      {"txtFreeAlarm", "10"}, {"txtTimeCheck", "250"}, {"optPer", "True"},
      {"optMB", "False"},     {"txtRunOnly", "100"},  {"txtRetryOptimization", "3"}};
  for (const auto& [name, text] : written) EXPECT_EQ(guard.Text(name), text) << name;
  // The saved values are loaded again at once, after which the panel is clean.
  EXPECT_TRUE(Await("cmdSave disabled after the reload",
                    [&]() -> HWND { return IsWindowEnabled(save) ? nullptr : save; }));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--as=", 5) == 0) g_version = argv[i] + 5;
  }
  return RUN_ALL_TESTS();
}
