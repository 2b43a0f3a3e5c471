// A panel whose page is not in this version yet: it carries its form name, so every command of
// the menu has somewhere to go, and says what it will hold.
#pragma once

#include "app/panels.h"
#include "ui/controls.h"
#include "ui/form_model.h"

namespace zephyr {

class PlaceholderPanel : public ui::Form {
 public:
  explicit PlaceholderPanel(const PanelInfo& info);

  ui::Label lblTitle;
  ui::Label lblNotice;
};

}  // namespace zephyr
