#include "backup/reg_export.h"

#include <cstdio>

namespace zephyr {
namespace {

constexpr char kHex[] = "0123456789abcdef";

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// A text regedit can carry between quotation marks: no NUL inside, no line break.
bool PlainText(std::string_view data) {
  if (data.empty() || data.back() != '\0') return false;
  data.remove_suffix(1);
  for (const char c : data) {
    if (c == '\0' || c == '\r' || c == '\n') return false;
  }
  return true;
}

std::string Data(const RestoredValue& value) {
  if (value.remove) return "-";
  if (value.type == kRegDword && value.data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) {
      number = (number << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
    }
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(number));
    return text;
  }
  if (value.type == kRegSz && PlainText(value.data)) {
    return Quoted(std::string_view(value.data).substr(0, value.data.size() - 1));
  }
  std::string bytes = value.type == 3 ? "hex:" : "hex(" + std::to_string(value.type) + "):";
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    if (i > 0) bytes += ',';
    bytes += kHex[static_cast<unsigned char>(value.data[i]) >> 4];
    bytes += kHex[static_cast<unsigned char>(value.data[i]) & 15];
  }
  return bytes;
}

std::string Root(RegKey hive) {
  return hive == kHKeyCurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

}  // namespace

std::string RegFilePath(std::string_view backupPath) {
  const std::size_t dot = backupPath.find_last_of('.');
  const std::size_t separator = backupPath.find_last_of("\\/");
  const bool hasExtension =
      dot != std::string_view::npos && (separator == std::string_view::npos || dot > separator + 1);
  return std::string(hasExtension ? backupPath.substr(0, dot) : backupPath) +
         std::string(kRegFileExtension);
}

std::string FormatRegFile(const std::vector<RestoredValue>& values) {
  std::string text = "REGEDIT4\r\n";
  const RestoredValue* section = nullptr;
  for (const RestoredValue& value : values) {
    if (section == nullptr || section->hive != value.hive || section->keyPath != value.keyPath) {
      text += "\r\n[" + Root(value.hive) + "\\" + value.keyPath + "]\r\n";
      section = &value;
    }
    text += (value.valueName.empty() ? std::string("@") : Quoted(value.valueName)) + "=" +
            Data(value) + "\r\n";
  }
  return text + "\r\n";
}

RegExport ExportBackupAsRegFile(const BackupFile& backup,
                                const std::vector<EarlierValue>* earlier) {
  // Only the program's own hives and keys ever reach the file: the restore's checks decide.
  const RestoredValues planned = PlanRestoredValues(backup, backup.osCode, earlier);
  if (!planned.ok()) return {{}, planned.reason};
  return {FormatRegFile(planned.values), {}};
}

}  // namespace zephyr
