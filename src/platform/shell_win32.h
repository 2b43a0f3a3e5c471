// The real shell port.
#pragma once

#include "platform/shell_port.h"

namespace zephyr {

class ShellWin32 final : public ShellPort {
 public:
  std::intptr_t OpenDocument(std::uintptr_t owner, const std::string& file,
                             const std::string& parameters, const std::string& directory,
                             int showCommand) override;
  std::uint32_t StartProcess(const std::string& commandLine, int showCommand) override;
  bool EnableShutdownPrivilege() override;
  bool EndWindowsSession(std::uint32_t flags, std::uint32_t reason) override;
};

}  // namespace zephyr
