// The real message boxes.
#pragma once

#include "platform/dialog_port.h"

namespace zephyr {

class DialogWin32 final : public DialogPort {
 public:
  int ShowMessage(std::uintptr_t owner, const std::string& text, const std::string& title,
                  std::uint32_t flags) override;
};

}  // namespace zephyr
