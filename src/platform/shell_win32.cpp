#include "platform/shell_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

namespace zephyr {
namespace {

// Closes a kernel handle on every path out.
class ScopedHandle {
 public:
  ScopedHandle() = default;
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() {
    if (handle_) CloseHandle(handle_);
  }
  HANDLE* Receive() { return &handle_; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace

std::intptr_t ShellWin32::OpenDocument(std::uintptr_t owner, const std::string& file,
                                       const std::string& parameters,
                                       const std::string& directory, int showCommand) {
  HINSTANCE result = ShellExecuteA(reinterpret_cast<HWND>(owner), nullptr, file.c_str(),
                                   parameters.empty() ? nullptr : parameters.c_str(),
                                   directory.empty() ? nullptr : directory.c_str(), showCommand);
  return reinterpret_cast<std::intptr_t>(result);
}

std::uint32_t ShellWin32::StartProcess(const std::string& commandLine, int showCommand) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION process{};
  // CreateProcessA may write into the command line, so it gets a copy of its own.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return 0;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return process.dwProcessId;
}

bool ShellWin32::EnableShutdownPrivilege() {
  ScopedHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                        token.Receive())) {
    return false;
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
    return false;
  }
  TOKEN_PRIVILEGES previous{};
  DWORD previousLength = sizeof previous;
  if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof previous, &previous,
                             &previousLength)) {
    return false;
  }
  // AdjustTokenPrivileges succeeds even when the privilege was not assigned to the token.
  return GetLastError() == ERROR_SUCCESS;
}

bool ShellWin32::EndWindowsSession(std::uint32_t flags, std::uint32_t reason) {
  return ExitWindowsEx(flags, reason) != FALSE;
}

}  // namespace zephyr
