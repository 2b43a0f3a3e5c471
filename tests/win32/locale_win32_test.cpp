// The real locale port against the platform's own formatting of the same moment.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/locale_win32.h"

namespace zephyr::testing {
namespace {

TEST(LocaleWin32, DatesAndTimesAreThoseOfTheUsersSettingsAndBadOnesAreEmpty) {
  SYSTEMTIME st{};
  st.wYear = 2026;
  st.wMonth = 3;
  st.wDay = 9;
  st.wHour = 14;
  st.wMinute = 5;
  st.wSecond = 9;
  char date[128] = {};
  char time[128] = {};
  ASSERT_GT(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, sizeof date),
            0);
  ASSERT_GT(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, sizeof time), 0);

  LocaleWin32 locale;
  const LocalDateTime taken{2026, 3, 9, 14, 5, 9};
  EXPECT_EQ(locale.FormatShortDate(taken), date);
  EXPECT_EQ(locale.FormatShortTime(taken), time);
  EXPECT_NE(locale.FormatShortTime(taken).find("05"), std::string::npos);
  EXPECT_EQ(locale.FormatShortDate({2026, 13, 9, 0, 0, 0}), "");
}

}  // namespace
}  // namespace zephyr::testing
