// The shell port: starting documents and programs, and restarting Windows.
#pragma once

#include <cstdint>
#include <string>

namespace zephyr {

// Show commands, as ShowWindow takes them.
inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShow = 5;

// ExitWindowsEx flags.
inline constexpr std::uint32_t kEwxReboot = 2;

class ShellPort {
 public:
  virtual ~ShellPort() = default;

  // ShellExecuteA with no verb (the file's default action). `owner` is the owning window's handle
  // value (0 for none). Returns the ShellExecute result: above 32 on success.
  virtual std::intptr_t OpenDocument(std::uintptr_t owner, const std::string& file,
                                     const std::string& parameters,
                                     const std::string& directory, int showCommand) = 0;
  // Starts a command line as a new process without waiting for it. Returns its process
  // identifier, 0 when it could not be started.
  virtual std::uint32_t StartProcess(const std::string& commandLine, int showCommand) = 0;
  // Enables SeShutdownPrivilege for this process; true when the token allowed it.
  virtual bool EnableShutdownPrivilege() = 0;
  // ExitWindowsEx (named apart from the <windows.h> macro); true when the system accepted it.
  virtual bool EndWindowsSession(std::uint32_t flags, std::uint32_t reason) = 0;
};

}  // namespace zephyr
