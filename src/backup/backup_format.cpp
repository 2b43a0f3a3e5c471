// The backup file's text: writing it, and reading it back item by item.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>

#include "backup/backup_file.h"
#include "backup/backup_layout.h"

namespace zephyr {
namespace {

constexpr std::uint64_t kLargestValue = std::numeric_limits<std::uint32_t>::max();
// Far above any real backup (a few kilobytes), low enough that a wrong file is refused at once.

void AppendLine(std::string& out, std::string_view item) {
  out.append(item);
  out.append("\r\n");
}

std::string TwoDigits(int number) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", number);
  return text;
}

// One item of the file, as the reader finds it.
struct Item {
  enum class Kind { kQuoted, kHashed, kBare };
  Kind kind = Kind::kBare;
  std::string_view text;
  int line = 0;
};

// Cuts the text into items. Items are separated by line ends (CR LF, or a lone LF) or by one
// comma outside quotation marks, with blanks allowed around them.
class ItemReader {
 public:
  explicit ItemReader(std::string_view text) : text_(text) { SkipBlanksAndLineEnds(); }

  bool AtEnd() const { return pos_ >= text_.size(); }
  int line() const { return line_; }

  // The next item, or nothing with `error` set.
  std::optional<Item> Next(std::string& error) {
    if (AtEnd()) {
      error = Where() + "the file ends in the middle of a group";
      return std::nullopt;
    }
    Item item;
    item.line = line_;
    const char first = text_[pos_];
    if (first == '"' || first == '#') {
      const std::size_t close = text_.find(first, pos_ + 1);
      const std::size_t lineEnd = text_.find_first_of("\r\n", pos_ + 1);
      if (close == std::string_view::npos || close > lineEnd) {
        error = Where() + (first == '"' ? "a quotation mark is not closed on its line"
                                        : "a date or time is not closed by #");
        return std::nullopt;
      }
      item.kind = first == '"' ? Item::Kind::kQuoted : Item::Kind::kHashed;
      item.text = text_.substr(pos_ + 1, close - pos_ - 1);
      pos_ = close + 1;
    } else if (first == ',') {
      error = Where() + "an item is empty";
      return std::nullopt;
    } else {
      std::size_t end = text_.find_first_of(",\r\n", pos_);
      if (end == std::string_view::npos) end = text_.size();
      item.text = text_.substr(pos_, end - pos_);
      while (!item.text.empty() && IsBlank(item.text.back())) item.text.remove_suffix(1);
      pos_ = end;
    }
    if (!SkipSeparator(error)) return std::nullopt;
    return item;
  }

 private:
  static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

  std::string Where() const { return "line " + std::to_string(line_) + ": "; }

  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }
  void SkipBlanksAndLineEnds() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
      } else if (c != '\r' && !IsBlank(c)) {
        break;
      }
      ++pos_;
    }
  }
  // After an item: blanks, then the end, a comma or line ends.
  bool SkipSeparator(std::string& error) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == ',') {
      ++pos_;
      SkipBlanks();
    } else if (pos_ < text_.size() && text_[pos_] != '\r' && text_[pos_] != '\n') {
      error = Where() + "unexpected text after an item";
      return false;
    }
    SkipBlanksAndLineEnds();
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

std::string Quote(std::string_view text) {
  return "\"" + std::string(text.substr(0, 40)) + (text.size() > 40 ? "...\"" : "\"");
}

bool ParseNumberParts(std::string_view text, std::initializer_list<int*> parts, char separator,
                      std::initializer_list<int> widths) {
  auto width = widths.begin();
  std::size_t index = 0;
  for (int* part : parts) {
    if (index > 0) {
      if (text.empty() || text.front() != separator) return false;
      text.remove_prefix(1);
    }
    const std::size_t digits = std::min(text.find(separator), text.size());
    if (digits == 0 || digits > static_cast<std::size_t>(*width)) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + digits, *part);
    if (error != std::errc() || end != text.data() + digits) return false;
    text.remove_prefix(digits);
    ++width;
    ++index;
  }
  return text.empty();
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// A value item: plain digits, or a whole number in exponent notation, from 0 to 4294967295.
std::optional<std::uint32_t> ParseValue(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const bool plain = text.find_first_not_of("0123456789") == std::string_view::npos;
  if (plain) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value > kLargestValue) {
      return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
  }
  if (text.find_first_not_of("0123456789.E+-") != std::string_view::npos ||
      text.find('E') == std::string_view::npos || text.front() == '+') {
    return std::nullopt;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
      value < 0 || value > static_cast<double>(kLargestValue) || std::floor(value) != value) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

class BackupParser {
 public:
  explicit BackupParser(std::string_view text) : items_(text) {}

  BackupReadResult Parse() {
    BackupFile backup;
    if (!Header(backup)) return Failure();
    for (const auto& spec : backup_layout::FixedGroups(backup.osCode)) {
      if (!Group(spec.entries.size(), backup)) return Failure();
    }
    // Every further group holds the two entries of one adapter, until the file ends.
    while (!items_.AtEnd()) {
      if (!Group(backup_layout::PerAdapterEntries(backup.osCode).size(), backup)) {
        return Failure();
      }
    }
    return {std::move(backup), {}};
  }

 private:
  BackupReadResult Failure() { return {std::nullopt, error_}; }

  std::optional<Item> Expect(Item::Kind kind, const char* what) {
    auto item = items_.Next(error_);
    if (!item) return std::nullopt;
    if (item->kind != kind) {
      error_ = "line " + std::to_string(item->line) + ": expected " + what + ", found " +
               Quote(item->text);
      return std::nullopt;
    }
    return item;
  }

  bool Fail(const Item& item, const std::string& message) {
    error_ = "line " + std::to_string(item.line) + ": " + message;
    return false;
  }

  bool Header(BackupFile& backup) {
    const auto date = Expect(Item::Kind::kHashed, "the date of the backup (#yyyy-mm-dd#)");
    if (!date) return false;
    if (!ParseBackupDate(date->text, backup.taken)) return Fail(*date, "the date is not a valid date");
    const auto time = Expect(Item::Kind::kHashed, "the time of the backup (#hh:mm:ss#)");
    if (!time) return false;
    if (!ParseBackupTime(time->text, backup.taken)) return Fail(*time, "the time is not a valid time");
    const auto os = Expect(Item::Kind::kBare, "the Windows version code");
    if (!os) return false;
    int code = 0;
    const auto [end, error] = std::from_chars(os->text.data(), os->text.data() + os->text.size(),
                                              code);
    if (error != std::errc() || end != os->text.data() + os->text.size() ||
        (!IsWin9xFamily(static_cast<OsCode>(code)) && !IsNtFamily(static_cast<OsCode>(code))) ||
        code != static_cast<OsCode>(code)) {
      return Fail(*os, "the Windows version code " + Quote(os->text) + " is not one of 1 to 7");
    }
    backup.osCode = static_cast<OsCode>(code);
    return true;
  }

  bool Group(std::size_t entries, BackupFile& backup) {
    const auto key = Expect(Item::Kind::kQuoted, "a registry key path in quotation marks");
    if (!key) return false;
    BackupGroup group{std::string(key->text), {}};
    for (std::size_t i = 0; i < entries; ++i) {
      const auto name = Expect(Item::Kind::kQuoted, "a value name in quotation marks");
      if (!name) return false;
      const auto value = Expect(Item::Kind::kBare, "a value");
      if (!value) return false;
      const auto number = ParseValue(value->text);
      if (!number) {
        return Fail(*value, "the value " + Quote(value->text) +
                                " is not a whole number from 0 to 4294967295");
      }
      group.entries.push_back({std::string(name->text), *number});
    }
    backup.groups.push_back(std::move(group));
    return true;
  }

  ItemReader items_;
  std::string error_;
};

}  // namespace

std::string FormatBackupNumber(double value) {
  if (std::fabs(value) < 1e15) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", value);
    return text;
  }
  char text[40];
  std::snprintf(text, sizeof text, "%.15G", value);
  // The exponent is written with its sign and its digits, without leading zeros.
  std::string result(text);
  const auto e = result.find('E');
  if (e != std::string::npos && e + 2 < result.size()) {
    std::size_t digits = e + 2;
    while (digits + 1 < result.size() && result[digits] == '0') result.erase(digits, 1);
  }
  return result;
}

std::string FormatBackupDate(const LocalDateTime& taken) {
  return std::to_string(taken.year) + "-" + TwoDigits(taken.month) + "-" + TwoDigits(taken.day);
}

std::string FormatBackupTime(const LocalDateTime& taken) {
  return TwoDigits(taken.hour) + ":" + TwoDigits(taken.minute) + ":" + TwoDigits(taken.second);
}

bool ParseBackupDate(std::string_view text, LocalDateTime& taken) {
  if (!ParseNumberParts(text, {&taken.year, &taken.month, &taken.day}, '-', {4, 2, 2})) {
    return false;
  }
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (taken.year < 1 || taken.month < 1 || taken.month > 12 || taken.day < 1) return false;
  if (taken.day > kDays[taken.month - 1]) return false;
  return !(taken.month == 2 && taken.day == 29 && !IsLeapYear(taken.year));
}

bool ParseBackupTime(std::string_view text, LocalDateTime& taken) {
  return ParseNumberParts(text, {&taken.hour, &taken.minute, &taken.second}, ':', {2, 2, 2}) &&
         taken.hour <= 23 && taken.minute <= 59 && taken.second <= 59;
}

std::string SerializeBackup(const BackupFile& backup) {
  std::string out;
  AppendLine(out, "#" + FormatBackupDate(backup.taken) + "#");
  AppendLine(out, "#" + FormatBackupTime(backup.taken) + "#");
  AppendLine(out, std::to_string(backup.osCode));
  for (const BackupGroup& group : backup.groups) {
    AppendLine(out, "\"" + group.keyPath + "\"");
    for (const BackupEntry& entry : group.entries) {
      AppendLine(out, "\"" + entry.valueName + "\"");
      AppendLine(out, FormatBackupNumber(entry.value));
    }
  }
  return out;
}

BackupReadResult ParseBackup(std::string_view text) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    return {std::nullopt, "the file is empty"};
  }
  return BackupParser(text).Parse();
}

std::string ReadBackupText(FileSystemPort& files, const std::string& file, std::string& text) {
  const FileStatus status = files.ReadWholeFile(file, kLargestBackupFile, text);
  if (status == kFileOk) return {};
  if (status == kFileTooLarge) return "the file is far too large for a backup";
  return "the file could not be read (" + DescribeFileStatus(status) + ")";
}

BackupReadResult ReadBackupFile(FileSystemPort& files, const std::string& file) {
  std::string text;
  if (std::string error = ReadBackupText(files, file, text); !error.empty()) {
    return {std::nullopt, std::move(error)};
  }
  return ParseBackup(text);
}

}  // namespace zephyr
