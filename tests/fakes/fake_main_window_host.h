// The real main window's part, recorded: which panels went into the frame, and the window
// operations the program asked for.
#pragma once

#include <string>
#include <vector>

#include "app/main_window.h"

namespace zephyr::testing {

class FakeMainWindowHost final : public MainWindowHost {
 public:
  std::vector<std::string> placed;    // form names, each time a panel was put in the frame
  std::vector<std::string> released;  // form names of panels whose windows went
  std::vector<std::string> calls;     // "minimize", "drag", "end"

  void PlacePanel(ui::Form& panel) override { placed.push_back(panel.Name()); }
  void ReleasePanel(ui::Form& panel) override { released.push_back(panel.Name()); }
  void Minimize() override { calls.push_back("minimize"); }
  void DragWindow() override { calls.push_back("drag"); }
  void EndProgram() override { calls.push_back("end"); }
  std::uintptr_t WindowHandle() const override { return 0x1234; }
  void ShowDialog(ui::Form& dialog) override { calls.push_back("show " + dialog.Name()); }
  void CloseDialog(ui::Form& dialog) override { calls.push_back("close " + dialog.Name()); }
};

}  // namespace zephyr::testing
