// Small owners of GDI state for the Win32 side: what a painting function selects into a device
// context it puts back on every path out.
#pragma once

#include <windows.h>

namespace zephyr {

// Selects a GDI object into a device context for the scope and puts the earlier one back.
class GdiSelection {
 public:
  GdiSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  GdiSelection(const GdiSelection&) = delete;
  GdiSelection& operator=(const GdiSelection&) = delete;
  ~GdiSelection() {
    if (ok()) SelectObject(dc_, previous_);
  }
  // Whether the object went in: a null object or a wrong kind of DC leaves nothing to put back.
  bool ok() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace zephyr
