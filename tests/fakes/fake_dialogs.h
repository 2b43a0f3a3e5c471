// Message boxes that a test reads instead of a user, answered with what the test chose.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/dialog_port.h"

namespace zephyr::testing {

class FakeDialogs final : public DialogPort {
 public:
  struct Shown {
    std::string text;
    std::string title;
    std::uint32_t flags;
  };

  std::vector<Shown> shown;
  // The buttons the user will press, in order; OK (or Yes for a question) when none is queued.
  std::deque<int> answers;

  int ShowMessage(std::uintptr_t, const std::string& text, const std::string& title,
                  std::uint32_t flags) override {
    shown.push_back({text, title, flags});
    if (!answers.empty()) {
      const int answer = answers.front();
      answers.pop_front();
      return answer;
    }
    return (flags & kMbYesNo) ? kIdYes : kIdOk;
  }
};

}  // namespace zephyr::testing
