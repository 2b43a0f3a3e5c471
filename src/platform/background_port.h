// The background port: blocking work off the user-interface thread.
//
// `work` runs on a thread of its own; `done` runs afterwards on the user-interface thread, from
// its message loop, so it may touch forms and show message boxes. Each request is independent:
// several may wait at once, and they finish in any order. Work still running when the port is
// destroyed is waited for, and its `done` is dropped.
#pragma once

#include <functional>

namespace zephyr {

class BackgroundPort {
 public:
  virtual ~BackgroundPort() = default;
  virtual void Run(std::function<void()> work, std::function<void()> done) = 0;
};

}  // namespace zephyr
