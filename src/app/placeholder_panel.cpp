#include "app/placeholder_panel.h"

#include <string>

namespace zephyr {

PlaceholderPanel::PlaceholderPanel(const PanelInfo& info)
    : ui::Form({.name = std::string(info.formName), .caption = std::string(info.caption),
                .bounds = {0, 0, kPanelFrameWidth, info.frameHeight}}),
      lblTitle(*this, {.name = "lblTitle", .caption = std::string(info.caption),
                       .bounds = {16, 16, 408, 20}}),
      lblNotice(*this, {.name = "lblNotice",
                        .caption = "This page comes with a later version of Zephyrnet.",
                        .bounds = {16, 48, 408, 40}}) {}

}  // namespace zephyr
