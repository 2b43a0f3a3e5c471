#include "platform/floor_shims_win32.h"

namespace zephyr::floor {
namespace {

// A module or object name is at most MAX_PATH characters; a double-byte code page needs two
// bytes for some of them.
constexpr int kAnsiNameSize = 2 * MAX_PATH;

}  // namespace

bool AnsiName(LPCWSTR name, char* out, int size) {
  BOOL usedDefault = FALSE;
  if (WideCharToMultiByte(CP_ACP, 0, name, -1, out, size, nullptr, &usedDefault) == 0) {
    return false;
  }
  // A character the code page lacks becomes '?', or a look-alike ("best fit") that would name
  // another module or object: only a spelling that converts back unchanged is the same name.
  wchar_t back[kAnsiNameSize];
  const int length = MultiByteToWideChar(CP_ACP, 0, out, -1, back, kAnsiNameSize);
  bool same = !usedDefault && length > 0;
  for (int i = 0; same && i < length; ++i) same = back[i] == name[i];
  if (!same) SetLastError(ERROR_INVALID_NAME);
  return same;
}

HANDLE CreateSemaphoreViaAnsi(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum,
                              LPCWSTR name) {
  if (name == nullptr) return CreateSemaphoreA(attributes, initial, maximum, nullptr);
  char ansi[kAnsiNameSize];
  if (!AnsiName(name, ansi, kAnsiNameSize)) return nullptr;
  return CreateSemaphoreA(attributes, initial, maximum, ansi);
}

HMODULE GetModuleHandleViaAnsi(LPCWSTR name) {
  if (name == nullptr) return GetModuleHandleA(nullptr);
  char ansi[kAnsiNameSize];
  if (!AnsiName(name, ansi, kAnsiNameSize)) return nullptr;
  return GetModuleHandleA(ansi);
}

HMODULE LoadLibraryViaAnsi(LPCWSTR name) {
  if (name == nullptr) return LoadLibraryA(nullptr);
  char ansi[kAnsiNameSize];
  if (!AnsiName(name, ansi, kAnsiNameSize)) return nullptr;
  return LoadLibraryA(ansi);
}

BOOL IsLeadByteOf(UINT codePage, BYTE byte) {
  CPINFO info{};
  if (!GetCPInfo(codePage, &info)) return FALSE;
  // Pairs of first and last lead byte, ended by a pair of zeros.
  for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
    if (byte >= info.LeadByte[i] && byte <= info.LeadByte[i + 1]) return TRUE;
  }
  return FALSE;
}

}  // namespace zephyr::floor
