// The backup manager's list over 999 backups, timed under Wine or Windows on the real file system
// and the user's real date and time formats: the list rebuilt from the folder and sorted by
// "Creating Date", with the folder's index and without one (each file read for its date and
// time), beside listing the same folder alone, in the same run.
//   backup_list_bench_win32.exe [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/main_window.h"
#include "backup/backup_list_index.h"
#include "backup/backup_manager_form.h"
#include "backup_folder.h"
#include "fakes/fake_program.h"
#include "fakes/temp_dir.h"
#include "platform/file_system_win32.h"
#include "platform/locale_win32.h"
#include "timing_win32.h"

int main(int argc, char** argv) {
  using namespace zephyr;
  using namespace zephyr::testing;
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

  TempDir dir;
  const std::filesystem::path backups = dir.path() / "Backups";
  if (!WriteBackupFolder(backups)) {
    std::fprintf(stderr, "could not write the backup folder\n");
    return 1;
  }

  // The user's real date and time formats, the rest on fakes.
  LocaleWin32 locale;
  FileSystemWin32 files;
  FakeProgram fake;
  fake.realLocale = &locale;
  fake.realFiles = &files;
  fake.programFolder = dir.path();
  fake.Make();
  Program& program = *fake.program;
  if (!program.Start()) {
    std::fprintf(stderr, "the program did not start\n");
    return 1;
  }
  auto& form = dynamic_cast<BackupManagerForm&>(program.Panel(PanelId::kBackUp));
  program.ShowPanel(PanelId::kBackUp);
  constexpr int kDateColumn = 2;
  if (form.lstBackUpList.Column(kDateColumn).Text() != "Creating Date") {
    std::fprintf(stderr, "column 2 is not \"Creating Date\"\n");
    return 1;
  }

  // Alternating, so none of them gets the others' warm cache only. The first listing of a folder
  // reads every file and writes the index; every later one reads the index and only the files
  // that changed since (none here).
  const std::filesystem::path index = backups / std::string(kBackupIndexFileName);
  std::vector<double> coldTimes, listTimes, sortTimes, folderTimes;
  std::size_t listed = 0;
  LARGE_INTEGER start, listed_at, end;
  for (int i = 0; i < runs; ++i) {
    for (const bool cold : {true, false}) {
      if (cold) std::filesystem::remove(index);
      QueryPerformanceCounter(&start);
      form.intializeList();
      QueryPerformanceCounter(&listed_at);
      // Each click turns the direction over; both directions sort the whole list.
      const bool clicked = form.lstBackUpList.UserClickColumn(kDateColumn);
      QueryPerformanceCounter(&end);
      if (!clicked) {
        std::fprintf(stderr, "the date column refused the click\n");
        return 1;
      }
      (cold ? coldTimes : listTimes).push_back(Milliseconds(start, end));
      if (!cold) sortTimes.push_back(Milliseconds(listed_at, end));
      if (form.lstBackUpList.ItemCount() != static_cast<std::size_t>(kListedBackups) ||
          form.lstBackUpList.Item(0).SubItems(1).empty()) {
        std::fprintf(stderr, "the list does not hold every backup with its date\n");
        return 1;
      }
    }

    QueryPerformanceCounter(&start);
    std::vector<FolderEntry> entries;
    files.ListFolder(backups.string(), entries);
    QueryPerformanceCounter(&end);
    folderTimes.push_back(Milliseconds(start, end));
    listed = static_cast<std::size_t>(std::count_if(
        entries.begin(), entries.end(), [](const FolderEntry& entry) { return !entry.isFolder; }));
  }
  // The backups and the index.
  if (listed != static_cast<std::size_t>(kListedBackups) + 1) {
    std::fprintf(stderr, "the folder listing found %zu files\n", listed);
    return 1;
  }

  const double list = Median(listTimes);
  const double cold = Median(coldTimes);
  const double folder = Median(folderTimes);
  std::printf("backup list built and sorted by date (%d backups, %d runs, medians):\n",
              kListedBackups, runs);
  std::printf("  with the folder's index (every opening after the first): %.2f ms\n", list);
  std::printf("    of which the sort by date:                            %.2f ms\n",
              Median(sortTimes));
  std::printf("  without an index (every file read, the index written):  %.2f ms\n", cold);
  std::printf("folder listed alone (the file port):                      %.2f ms\n", folder);
  std::printf("ratio with the index: %.1f, without: %.1f; goal: the panel ready in under "
              "100 ms\n",
              list / folder, cold / folder);
  return 0;
}
