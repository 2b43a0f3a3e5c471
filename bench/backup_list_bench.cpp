// The backup manager's list over 999 backups on the fake ports: the list rebuilt from the folder
// and sorted by "Creating Date" (with the folder's index), and built without an index (each file
// read for its date and time), against listing the same folder alone with std::filesystem. The
// ratios show what reading and sorting add to the listing.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "backup/backup_list_index.h"
#include "backup/backup_manager_form.h"
#include "backup_folder.h"
#include "ratio_reporter.h"
#include "fakes/fake_program.h"
#include "fakes/native_file_system.h"
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

// The program on fake ports, in the folder both benchmarks share.
std::unique_ptr<FakeProgram> MakeProgram() {
  auto fake = std::make_unique<FakeProgram>();
  fake->programFolder = ProgramFolder().path();
  fake->Make();
  return fake;
}

void BM_BackupListBuiltAndSortedByDate(benchmark::State& state) {
  const auto fake = MakeProgram();
  if (!fake->program->Start()) return state.SkipWithError("the program did not start");
  auto& form = dynamic_cast<BackupManagerForm&>(fake->program->Panel(PanelId::kBackUp));
  fake->program->ShowPanel(PanelId::kBackUp);
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
  const auto fake = MakeProgram();
  if (!fake->program->Start()) return state.SkipWithError("the program did not start");
  auto& form = dynamic_cast<BackupManagerForm&>(fake->program->Panel(PanelId::kBackUp));
  fake->program->ShowPanel(PanelId::kBackUp);
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
  const std::string folder = (ProgramFolder().path() / "Backups").string();
  NativeFileSystem port;
  std::vector<FolderEntry> entries;
  std::vector<std::string> files;
  for (auto _ : state) {
    files.clear();
    port.ListFolder(folder, entries);
    for (const FolderEntry& entry : entries) {
      if (!entry.isFolder && IsBackupFileName(entry.name)) files.push_back(JoinPath(folder, entry.name));
    }
    benchmark::DoNotOptimize(files.data());
  }
  if (files.size() != static_cast<std::size_t>(kListedBackups)) {
    state.SkipWithError("the folder does not hold every backup");
  }
}
BENCHMARK(BM_ListFolderAlone)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zephyr::testing

int main(int argc, char** argv) {
  return zephyr::testing::RunBenchmarksWithRatios(
      argc, argv,
      {{"backup list built and sorted by date (index) / folder listed alone",
        "BM_BackupListBuiltAndSortedByDate", "BM_ListFolderAlone"},
       {"backup list built without an index / folder listed alone", "BM_BackupListWithoutIndex",
        "BM_ListFolderAlone"}});
}
