// The reference for the start-up and memory benchmarks: a minimal Win32 program that loads the
// same system libraries as zephyrnet.exe and shows one empty window.
#include <windows.h>
#include <commctrl.h>

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
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
