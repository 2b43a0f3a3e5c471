// The reference for the start-up and memory benchmarks: a minimal Win32 program that loads the
// same system libraries as zephyrnet.exe and shows one empty window.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <winsock.h>

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// One function of each library the program imports, so that the linker, which imports a library
// only for what is used, keeps them all and the loader loads them at start as it does for the
// program. None of them is called.
const void* const volatile kImported[] = {
    reinterpret_cast<const void*>(&RegCloseKey),   reinterpret_cast<const void*>(&ShellExecuteA),
    reinterpret_cast<const void*>(&GetStockObject), reinterpret_cast<const void*>(&PlaySoundA),
    reinterpret_cast<const void*>(&WSAStartup)};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  (void)kImported[0];
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = "ZephyrnetReferenceWindow";
  RegisterClassA(&windowClass);
  HWND hwnd = CreateWindowExA(0, windowClass.lpszClassName, "Reference", WS_POPUP, 100, 100, 724,
                              540, nullptr, nullptr, instance, nullptr);
  ShowWindow(hwnd, showCommand == SW_HIDE ? SW_SHOW : showCommand);
  UpdateWindow(hwnd);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
