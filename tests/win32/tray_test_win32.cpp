// The tray control with the real shell: an icon added, modified and removed, callback messages
// delivered to the control's window, and pictures turned into icons with GDI.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/notification_area_win32.h"
#include "ui/tray_win32.h"

namespace zephyr::testing {
namespace {

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Whether the shell holds an icon: it refuses to modify one that is not there.
bool ShellHasIcon(HWND hwnd) {
  NOTIFYICONDATAA probe{};
  probe.cbSize = NOTIFYICONDATAA_V2_SIZE;
  probe.hWnd = hwnd;
  probe.uID = ui::kTrayIconId;
  return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

TEST(TrayWin32, RealIconIsAddedModifiedAndRemoved) {
  NotificationAreaWin32 shell;
  EXPECT_EQ(shell.RecordSize(), NOTIFYICONDATAA_V2_SIZE);
#ifndef _WIN64
  // The record the control describes is the platform's own, byte for byte.
  EXPECT_EQ(NOTIFYICONDATAA_V2_SIZE, kNotifyIconDataSize);
#endif
  const HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_INFORMATION));
  ui::TrayWin32 tray(shell, {.trayImage = {kPicTypeIcon, reinterpret_cast<IconHandle>(icon)}});
  ASSERT_NE(tray.hwnd(), nullptr);
  ui::Tray& control = tray.control();
  EXPECT_EQ(control.hwnd(), reinterpret_cast<WindowHandle>(tray.hwnd()));
  EXPECT_FALSE(IsWindowVisible(tray.hwnd()));

  ASSERT_TRUE(control.Show(true));
  EXPECT_TRUE(control.IsVisible());
  EXPECT_TRUE(ShellHasIcon(tray.hwnd()));
  control.SetTrayToolTip("Memory Usage (42MB).");
  EXPECT_TRUE(control.Show(true));
  EXPECT_TRUE(control.showBalloonoolTip(true));

  // A restarted taskbar announces itself to every top-level window; the icon is still wanted.
  SendMessageA(tray.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(control.IsVisible());
  EXPECT_TRUE(ShellHasIcon(tray.hwnd()));

  EXPECT_TRUE(control.Show(false));
  EXPECT_FALSE(control.IsVisible());
  EXPECT_FALSE(ShellHasIcon(tray.hwnd()));
  EXPECT_FALSE(control.showBalloonoolTip(true));

  // The control takes a shown icon away with it.
  HWND window = nullptr;
  {
    ui::TrayWin32 shown(shell);
    window = shown.hwnd();
    ASSERT_TRUE(shown.control().Show(true));
  }
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(ShellHasIcon(window));
}

TEST(TrayWin32, CallbackMessagesBecomeOneClickPer15Milliseconds) {
  NotificationAreaWin32 shell;
  ui::TrayWin32 tray(shell);
  std::vector<std::string> events;
  tray.control().LeftClick.Connect([&] { events.push_back("LeftClick"); });
  tray.control().RightClick.Connect([&] { events.push_back("RightClick"); });
  tray.control().MouseClick.Connect(
      [&](std::int16_t button) { events.push_back("MouseClick " + std::to_string(button)); });
  const auto deliver = [&](UINT mouseMessage) {
    SendMessageA(tray.hwnd(), ui::kTrayCallbackMessage, ui::kTrayIconId, mouseMessage);
  };
  // Waits, letting the timer messages through, until the latch lets a right click pass.
  const auto rightClickOnceOpen = [&] {
    const std::size_t before = events.size();
    const DWORD start = GetTickCount();
    while (events.size() == before && GetTickCount() - start < 2000) {
      Sleep(5);
      PumpMessages();
      deliver(WM_RBUTTONDOWN);
    }
  };

  deliver(WM_MOUSEMOVE);
  deliver(WM_LBUTTONUP);
  deliver(WM_LBUTTONDOWN);
  deliver(WM_RBUTTONDOWN);
  deliver(WM_LBUTTONDOWN);
  EXPECT_EQ(events, (std::vector<std::string>{"LeftClick"}));
  rightClickOnceOpen();
  EXPECT_EQ(events, (std::vector<std::string>{"LeftClick", "RightClick"}));

  tray.control().SetEventMode(1);
  rightClickOnceOpen();
  EXPECT_EQ(events, (std::vector<std::string>{"LeftClick", "RightClick", "MouseClick 2"}));
}

TEST(TrayWin32, BitmapsAndMetafilesBecome32PixelIcons) {
  NotificationAreaWin32 shell;
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 40, 20);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const RECT all{0, 0, 40, 20};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &all, red);
  SelectObject(dc, old);

  ui::TrayWin32 tray(shell, {.trayImage = {kPicTypeBitmap, reinterpret_cast<std::uintptr_t>(
                                                               bitmap)}});
  const ui::Picture& picture = tray.control().TrayImage();
  ASSERT_EQ(picture.type, kPicTypeIcon);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(picture.handle), &info));
  BITMAP color{};
  ASSERT_NE(GetObjectA(info.hbmColor, sizeof color, &color), 0);
  EXPECT_EQ(color.bmWidth, 32);
  EXPECT_EQ(color.bmHeight, 32);
  old = SelectObject(dc, info.hbmColor);
  EXPECT_EQ(GetPixel(dc, 16, 16), RGB(255, 0, 0));
  SelectObject(dc, old);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  EXPECT_TRUE(tray.control().Show(true));
  EXPECT_TRUE(tray.control().Show(false));

  HDC recorder = CreateEnhMetaFileA(screen, nullptr, nullptr, nullptr);
  FillRect(recorder, &all, red);
  HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
  const IconHandle fromMetafile = shell.MakeIcon(
      kPicTypeEnhMetafile, reinterpret_cast<std::uintptr_t>(metafile), ui::kTrayIconSize);
  EXPECT_NE(fromMetafile, 0u);
  shell.ReleaseIcon(fromMetafile);

  // Something that is not a picture of that type gives no icon.
  EXPECT_EQ(shell.MakeIcon(kPicTypeBitmap, reinterpret_cast<std::uintptr_t>(red), 32), 0u);
  EXPECT_EQ(shell.MakeIcon(kPicTypeIcon, reinterpret_cast<std::uintptr_t>(bitmap), 32), 0u);

  DeleteEnhMetaFile(metafile);
  DeleteObject(red);
  DeleteDC(dc);
  DeleteObject(bitmap);
  ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace zephyr::testing
