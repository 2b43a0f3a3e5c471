#include "platform/locale_win32.h"

#include <windows.h>

namespace zephyr {
namespace {

SYSTEMTIME SystemTimeOf(const LocalDateTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  return st;
}

// The calls return the length with the NUL, or 0 on failure (an invalid date among them).
std::string TextOf(const char* buffer, int length) {
  return length > 0 ? std::string(buffer, static_cast<std::size_t>(length - 1)) : std::string();
}

}  // namespace

std::string LocaleWin32::FormatShortDate(const LocalDateTime& date) {
  const SYSTEMTIME st = SystemTimeOf(date);
  char buffer[128] = {};
  return TextOf(buffer, GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer,
                                       static_cast<int>(sizeof buffer)));
}

std::string LocaleWin32::FormatShortTime(const LocalDateTime& time) {
  const SYSTEMTIME st = SystemTimeOf(time);
  char buffer[128] = {};
  return TextOf(buffer, GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer,
                                       static_cast<int>(sizeof buffer)));
}

}  // namespace zephyr
