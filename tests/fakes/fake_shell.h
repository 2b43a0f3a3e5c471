// A shell that records what the program asked it to start, and starts nothing.
#pragma once

#include <string>
#include <vector>

#include "platform/shell_port.h"

namespace zephyr::testing {

class FakeShell final : public ShellPort {
 public:
  struct Opened {
    std::uintptr_t owner;
    std::string file, parameters, directory;
    int showCommand;
  };
  struct Started {
    std::string commandLine;
    int showCommand;
  };

  std::vector<Opened> opened;
  std::vector<Started> started;
  // Every call in order: "open FILE", "start LINE", "privilege", "exit FLAGS REASON".
  std::vector<std::string> calls;
  // Whether Windows grants a request to end the session.
  bool grantEndSession = true;

  std::intptr_t OpenDocument(std::uintptr_t owner, const std::string& file,
                             const std::string& parameters, const std::string& directory,
                             int showCommand) override {
    opened.push_back({owner, file, parameters, directory, showCommand});
    calls.push_back("open " + file);
    return 42;
  }
  std::uint32_t StartProcess(const std::string& commandLine, int showCommand) override {
    started.push_back({commandLine, showCommand});
    calls.push_back("start " + commandLine);
    return 1000 + static_cast<std::uint32_t>(started.size());
  }
  bool EnableShutdownPrivilege() override {
    calls.push_back("privilege");
    return true;
  }
  bool EndWindowsSession(std::uint32_t flags, std::uint32_t reason) override {
    calls.push_back("exit " + std::to_string(flags) + " " + std::to_string(reason));
    return grantEndSession;
  }
};

}  // namespace zephyr::testing
