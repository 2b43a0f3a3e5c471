// The backup manager's index: what it keeps, and that anything but its own writing is ignored.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "backup/backup_list_index.h"

namespace zephyr::testing {
namespace {

constexpr char kIndex[] =
    "Zephyrnet backup list index 1\r\n"
    "001.BCK|2583|1733667909000000000|2026-12-07|14:05:09\r\n"
    "002.bck|0|-5||\r\n";

TEST(BackupListIndex, KeepsEachFilesStampAndDateAndReadsBackWhatItWrites) {
  const std::optional<BackupListIndex> index = BackupListIndex::Parse(kIndex);
  ASSERT_TRUE(index);
  EXPECT_EQ(index->size(), 2u);
  const IndexedBackup* first = index->Find("001.BCK", {2583, 1733667909000000000});
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->taken, (LocalDateTime{2026, 12, 7, 14, 5, 9}));
  const IndexedBackup* damaged = index->Find("002.bck", {0, -5});
  ASSERT_NE(damaged, nullptr);
  EXPECT_FALSE(damaged->taken);
  // Another size or time of change is another file.
  EXPECT_EQ(index->Find("001.BCK", {2584, 1733667909000000000}), nullptr);
  EXPECT_EQ(index->Find("001.BCK", {2583, 1733667909000000001}), nullptr);
  EXPECT_EQ(index->Find("003.BCK", {2583, 1733667909000000000}), nullptr);
  EXPECT_EQ(index->Serialize(), kIndex);

  BackupListIndex changed = *index;
  changed.Put("notes.txt", {{1, 1}, std::nullopt});
  changed.KeepOnly({"002.bck", "notes.txt"});
  EXPECT_EQ(changed.Serialize(), "Zephyrnet backup list index 1\r\n002.bck|0|-5||\r\n")
      << "only backup names are kept, and only those still present";
}

TEST(BackupListIndex, AnythingButItsOwnWritingIsIgnoredWhole) {
  const std::string header = "Zephyrnet backup list index 1\r\n";
  for (const std::string& text : {
           std::string(),
           std::string("Zephyrnet backup list index 2\r\n"),
           header + "001.BCK|2583|17|2026-12-07|14:05:09",  // cut off before the line end
           header + "001.BCK|2583|17|2026-12-07\r\n",
           header + "001.BCK|2583|17|2026-12-07|14:05:09|x\r\n",
           header + "001.BCK|-1|17|2026-12-07|14:05:09\r\n",
           header + "001.BCK|2583|17x|2026-12-07|14:05:09\r\n",
           header + "001.BCK|2583|17|2026-02-30|14:05:09\r\n",
           header + "001.BCK|2583|17|2026-12-07|\r\n",
           header + "001.BCK|2583|17||24:00:00\r\n",
           header + "notes.txt|2583|17|2026-12-07|14:05:09\r\n",
           header + "|2583|17|2026-12-07|14:05:09\r\n",
           header + "001.BCK|1|17||\r\n001.BCK|1|17||\r\n",
       }) {
    EXPECT_FALSE(BackupListIndex::Parse(text)) << text;
  }
  std::mt19937 random(20261208);
  for (int round = 0; round < 200; ++round) {
    std::string text = header;
    const int length = static_cast<int>(random() % 200);
    for (int i = 0; i < length; ++i) text += static_cast<char>(random() % 256);
    if (const auto index = BackupListIndex::Parse(text)) {
      EXPECT_EQ(BackupListIndex::Parse(index->Serialize())->Serialize(), index->Serialize());
    }
  }
}

}  // namespace
}  // namespace zephyr::testing
