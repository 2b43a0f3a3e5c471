// WinMain: builds the real ports, identifies the system and runs the message loop.
//
// The window here is the program's first one: it carries the caption, the version and the
// detected Windows, and closes cleanly. The drawn main menu replaces its contents later.
#include <windows.h>

#include <string>

#include "platform/os_version.h"
#include "platform/system_win32.h"
#include "version.h"

namespace {

constexpr char kWindowClass[] = "ZephyrnetMainWindow";
constexpr char kProgramTitle[] = "Zephyrnet";
// Automation contract: every form window carries its name in this property, as a global atom.
constexpr char kNameProperty[] = "Name";
constexpr int kWindowWidth = 724;
constexpr int kWindowHeight = 540;

class MainWindow {
 public:
  explicit MainWindow(zephyr::OsIdentity os) : os_(os) {}

  bool Create(HINSTANCE instance, int showCommand) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &MainWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassA(&windowClass)) return false;

    const int left = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
    hwnd_ = CreateWindowExA(0, kWindowClass, kProgramTitle, WS_OVERLAPPEDWINDOW, left, top,
                            kWindowWidth, kWindowHeight, nullptr, nullptr, instance, this);
    if (!hwnd_) return false;
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    return true;
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
      case WM_CREATE: return self->OnCreate(hwnd);
      case WM_PAINT: return self->OnPaint(hwnd);
      case WM_DESTROY: return self->OnDestroy(hwnd);
      default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
  }

  LRESULT OnCreate(HWND hwnd) {
    nameAtom_ = GlobalAddAtomA("frmMain");
    SetPropA(hwnd, kNameProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(nameAtom_)));
    return 0;
  }

  LRESULT OnPaint(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    SetBkMode(dc, TRANSPARENT);

    HFONT titleFont = CreateFontA(-36, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                  DEFAULT_PITCH | FF_SWISS, "Tahoma");
    HGDIOBJ oldFont = SelectObject(dc, titleFont);
    RECT title = client;
    title.bottom = client.bottom / 2;
    DrawTextA(dc, kProgramTitle, -1, &title, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    DeleteObject(titleFont);

    const std::string details = std::string("Version ") + ZEPHYR_VERSION_TEXT + "\nRunning on " +
                                std::string(os_.name);
    RECT body = client;
    body.top = client.bottom / 2 + 12;
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextA(dc, details.c_str(), -1, &body, DT_CENTER | DT_TOP);
    EndPaint(hwnd, &paint);
    return 0;
  }

  LRESULT OnDestroy(HWND hwnd) {
    RemovePropA(hwnd, kNameProperty);
    if (nameAtom_) GlobalDeleteAtom(nameAtom_);
    PostQuitMessage(0);
    return 0;
  }

  zephyr::OsIdentity os_;
  HWND hwnd_ = nullptr;
  ATOM nameAtom_ = 0;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  zephyr::SystemWin32 system;
  MainWindow window(zephyr::DetectOS(system));
  if (!window.Create(instance, showCommand)) return 1;

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
