// The backup manager's list over 999 backups on the fake ports: the list rebuilt from the folder
// and sorted by "Creating Date" (with the folder's index), and built without an index (each file
// read for its date and time), against listing the same folder alone with std::filesystem. The
// ratios show what reading and sorting add to the listing.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "backup/backup_list_index.h"
#include "backup/backup_manager_form.h"
#include "backup_folder.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_locale.h"
#include "fakes/fake_main_window_host.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_system.h"
#include "fakes/fake_timer_scheduler.h"
#include "fakes/temp_dir.h"

namespace zephyr::testing {
namespace {

// The program's folder, its Backups folder written once for both benchmarks.
const TempDir& ProgramFolder() {
  static const TempDir folder;  // removed with its files when the program ends
  static const bool written = WriteBackupFolder(folder.path() / "Backups");
  if (!written) {
    std::fprintf(stderr, "could not write the backup folder\n");
    std::exit(1);
  }
  return folder;
}

struct FakeProgram {
  FakeProgram() {
    system.SetVersion(kVerPlatformWin32Nt, 5, 1);
    program = std::make_unique<Program>(
        Ports{registry, system, shell, dialogs, clock, timers, locale},
        AppPaths{ProgramFolder().path(), ProgramFolder().path().string(), "zephyrnet"});
    program->AttachHost(&mainHost);
  }

  FakeRegistry registry;
  FakeSystem system;
  FakeShell shell;
  FakeDialogs dialogs;
  FakeClock clock;
  FakeTimerScheduler timers;
  FakeLocale locale;
  FakeMainWindowHost mainHost;
  std::unique_ptr<Program> program;
};

void BM_BackupListBuiltAndSortedByDate(benchmark::State& state) {
  FakeProgram fake;
  if (!fake.program->Start()) return state.SkipWithError("the program did not start");
  auto& form = dynamic_cast<BackupManagerForm&>(fake.program->Panel(PanelId::kBackUp));
  fake.program->ShowPanel(PanelId::kBackUp);
  constexpr int kDateColumn = 2;
  if (form.lstBackUpList.Column(kDateColumn).Text() != "Creating Date") {
    return state.SkipWithError("column 2 is not \"Creating Date\"");
  }
  for (auto _ : state) {
    form.intializeList();
    // Each click turns the direction over; both directions sort the whole list.
    if (!form.lstBackUpList.UserClickColumn(kDateColumn)) {
      return state.SkipWithError("the date column refused the click");
    }
    benchmark::DoNotOptimize(form.lstBackUpList.ItemCount());
  }
  if (form.lstBackUpList.ItemCount() != static_cast<std::size_t>(kListedBackups) ||
      form.lstBackUpList.Item(0).SubItems(1).empty()) {
    state.SkipWithError("the list does not hold every backup with its date");
  }
}
BENCHMARK(BM_BackupListBuiltAndSortedByDate)->Unit(benchmark::kMillisecond);

// The first listing of a folder: no index, so every file is read and the index written.
void BM_BackupListWithoutIndex(benchmark::State& state) {
  FakeProgram fake;
  if (!fake.program->Start()) return state.SkipWithError("the program did not start");
  auto& form = dynamic_cast<BackupManagerForm&>(fake.program->Panel(PanelId::kBackUp));
  fake.program->ShowPanel(PanelId::kBackUp);
  const std::filesystem::path index =
      ProgramFolder().path() / "Backups" / std::string(kBackupIndexFileName);
  for (auto _ : state) {
    std::filesystem::remove(index);
    form.intializeList();
    benchmark::DoNotOptimize(form.lstBackUpList.ItemCount());
  }
  if (form.lstBackUpList.ItemCount() != static_cast<std::size_t>(kListedBackups)) {
    state.SkipWithError("the list does not hold every backup");
  }
}
BENCHMARK(BM_BackupListWithoutIndex)->Unit(benchmark::kMillisecond);

// The reference: the names of the regular files of the same folder, nothing read.
void BM_ListFolderAlone(benchmark::State& state) {
  const std::filesystem::path folder = ProgramFolder().path() / "Backups";
  std::vector<std::filesystem::path> files;
  for (auto _ : state) {
    files.clear();
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.is_regular_file() && IsBackupFileName(entry.path().filename())) {
        files.push_back(entry.path());
      }
    }
    benchmark::DoNotOptimize(files.data());
  }
  if (files.size() != static_cast<std::size_t>(kListedBackups)) {
    state.SkipWithError("the folder does not hold every backup");
  }
}
BENCHMARK(BM_ListFolderAlone)->Unit(benchmark::kMillisecond);

// Prints the benchmarks as usual, then the ratio of the list to its reference.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto folder = times_.find("BM_ListFolderAlone");
    if (folder == times_.end() || folder->second <= 0) return;
    for (const auto& [name, label] :
         {std::pair{"BM_BackupListBuiltAndSortedByDate", "built and sorted by date (index)"},
          std::pair{"BM_BackupListWithoutIndex", "built without an index"}}) {
      const auto list = times_.find(name);
      if (list == times_.end()) continue;
      std::printf("backup list %s / folder listed alone: %.1f\n", label,
                  list->second / folder->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace
}  // namespace zephyr::testing

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  zephyr::testing::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
