#include "platform/dialog_win32.h"

#include <windows.h>

namespace zephyr {

static_assert(kMbYesNo == MB_YESNO && kMbIconInformation == MB_ICONINFORMATION &&
              kIdYes == IDYES && kIdNo == IDNO);

int DialogWin32::ShowMessage(std::uintptr_t owner, const std::string& text,
                             const std::string& title, std::uint32_t flags) {
  return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), title.c_str(), flags);
}

}  // namespace zephyr
