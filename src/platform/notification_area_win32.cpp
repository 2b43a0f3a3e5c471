#include "platform/notification_area_win32.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstddef>
#include <cstring>

#include "platform/gdi_win32.h"

namespace zephyr {

namespace {

// Shell 4 (Windows 95, 98 and NT 4 as shipped) has no DllGetVersion and only the original record.
DWORD ShellMajorVersion() {
  HMODULE shell = GetModuleHandleA("shell32.dll");
  if (shell == nullptr) return 4;
  const FARPROC proc = GetProcAddress(shell, "DllGetVersion");
  if (proc == nullptr) return 4;
  const auto getVersion =
      reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void (*)()>(proc));
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (FAILED(getVersion(&info))) return 4;
  return info.dwMajorVersion;
}

// The GDI object type a picture of this type has to be.
DWORD ObjectTypeOf(std::int16_t pictureType) {
  switch (pictureType) {
    case kPicTypeBitmap: return OBJ_BITMAP;
    case kPicTypeMetafile: return OBJ_METAFILE;
    case kPicTypeEnhMetafile: return OBJ_ENHMETAFILE;
    default: return 0;
  }
}

// Draws the picture over the whole of `size` × `size` pixels in `dc`. A handle that is not a
// picture of the stated type draws nothing.
bool DrawPicture(HDC dc, std::int16_t pictureType, std::uintptr_t handle, int size) {
  const DWORD objectType = ObjectTypeOf(pictureType);
  if (objectType == 0 || GetObjectType(reinterpret_cast<HGDIOBJ>(handle)) != objectType) {
    return false;
  }
  switch (pictureType) {
    case kPicTypeBitmap: {
      const auto bitmap = reinterpret_cast<HBITMAP>(handle);
      BITMAP info{};
      if (GetObjectA(bitmap, sizeof info, &info) == 0 || info.bmWidth <= 0) return false;
      HDC source = CreateCompatibleDC(dc);
      if (source == nullptr) return false;
      bool drawn = false;
      {
        GdiSelection select(source, bitmap);
        if (select.ok()) {
          SetStretchBltMode(dc, HALFTONE);
          SetBrushOrgEx(dc, 0, 0, nullptr);
          drawn = StretchBlt(dc, 0, 0, size, size, source, 0, 0, info.bmWidth,
                             info.bmHeight < 0 ? -info.bmHeight : info.bmHeight, SRCCOPY) != FALSE;
        }
      }
      DeleteDC(source);
      return drawn;
    }
    case kPicTypeEnhMetafile: {
      const RECT bounds{0, 0, size, size};
      return PlayEnhMetaFile(dc, reinterpret_cast<HENHMETAFILE>(handle), &bounds) != FALSE;
    }
    case kPicTypeMetafile: {
      const int oldMode = SetMapMode(dc, MM_ANISOTROPIC);
      SetViewportExtEx(dc, size, size, nullptr);
      const bool played = PlayMetaFile(dc, reinterpret_cast<HMETAFILE>(handle)) != FALSE;
      SetMapMode(dc, oldMode);
      return played;
    }
    default:
      return false;
  }
}

}  // namespace

NotificationAreaWin32::NotificationAreaWin32() {
  if (ShellMajorVersion() >= 5) {
    recordSize_ = NOTIFYICONDATAA_V2_SIZE;
    tipChars_ = kNotifyTipChars;
  } else {
    recordSize_ = NOTIFYICONDATAA_V1_SIZE;
    tipChars_ = 64;
  }
}

bool NotificationAreaWin32::NotifyIcon(std::uint32_t message, const NotifyIconData& data) {
  NOTIFYICONDATAA record{};
  record.cbSize = recordSize_;
  record.hWnd = reinterpret_cast<HWND>(data.hWnd);
  record.uID = data.uID;
  record.uFlags = data.uFlags;
  record.uCallbackMessage = data.uCallbackMessage;
  record.hIcon = reinterpret_cast<HICON>(data.hIcon);
  std::memcpy(record.szTip, data.szTip, tipChars_);
  record.szTip[tipChars_ - 1] = '\0';
  if (recordSize_ >= NOTIFYICONDATAA_V2_SIZE) {
    record.dwState = data.dwState;
    record.dwStateMask = data.dwStateMask;
    std::memcpy(record.szInfo, data.szInfo, sizeof record.szInfo);
    record.szInfo[sizeof record.szInfo - 1] = '\0';
    record.uTimeout = data.uTimeout;
    std::memcpy(record.szInfoTitle, data.szInfoTitle, sizeof record.szInfoTitle);
    record.szInfoTitle[sizeof record.szInfoTitle - 1] = '\0';
    record.dwInfoFlags = data.dwInfoFlags;
  } else {
    // The original shell knows neither balloons nor icon states.
    record.uFlags &= ~static_cast<UINT>(NIF_INFO | NIF_STATE);
  }
  return Shell_NotifyIconA(message, &record) != FALSE;
}

IconHandle NotificationAreaWin32::MakeIcon(std::int16_t pictureType, std::uintptr_t handle,
                                           int size) {
  if (handle == 0 || size <= 0) return 0;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return 0;
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP color = CreateCompatibleBitmap(screen, size, size);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
  ReleaseDC(nullptr, screen);

  HICON icon = nullptr;
  if (dc != nullptr && color != nullptr && mask != nullptr) {
    bool drawn = false;
    {
      // An all-black mask: every pixel of the picture is shown.
      GdiSelection selectMask(dc, mask);
      PatBlt(dc, 0, 0, size, size, BLACKNESS);
    }
    {
      GdiSelection selectColor(dc, color);
      PatBlt(dc, 0, 0, size, size, WHITENESS);
      drawn = selectColor.ok() && DrawPicture(dc, pictureType, handle, size);
    }
    if (drawn) {
      ICONINFO info{};
      info.fIcon = TRUE;
      info.hbmMask = mask;
      info.hbmColor = color;
      icon = CreateIconIndirect(&info);
    }
  }
  if (mask != nullptr) DeleteObject(mask);
  if (color != nullptr) DeleteObject(color);
  if (dc != nullptr) DeleteDC(dc);
  return reinterpret_cast<IconHandle>(icon);
}

void NotificationAreaWin32::ReleaseIcon(IconHandle icon) {
  if (icon != 0) DestroyIcon(reinterpret_cast<HICON>(icon));
}

}  // namespace zephyr
