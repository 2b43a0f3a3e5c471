// The screen port: the size of the display and where the mouse pointer is, in the program's
// layout units (pixels at 96 dots per inch), so they can be compared with its layouts.
#pragma once

namespace zephyr {

struct ScreenPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

struct ScreenSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const ScreenSize&, const ScreenSize&) = default;
};

class ScreenPort {
 public:
  virtual ~ScreenPort() = default;
  // The primary display's width and height (HORZRES and VERTRES of its device context).
  virtual ScreenSize Size() = 0;
  // The mouse pointer's position on the screen.
  virtual ScreenPoint CursorPosition() = 0;
};

}  // namespace zephyr
