// Background work that the test runs when it chooses. By default each request runs whole (work,
// then done) as soon as it is made; with `holdRequests` it waits until the test finishes it, so a
// test can keep several requests waiting and finish them in any order.
#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include "platform/background_port.h"

namespace zephyr::testing {

class FakeBackground final : public BackgroundPort {
 public:
  bool holdRequests = false;

  void Run(std::function<void()> work, std::function<void()> done) override {
    if (!holdRequests) {
      work();
      done();
      return;
    }
    held_.push_back({std::move(work), std::move(done)});
  }

  std::size_t Held() const { return held_.size(); }
  // Runs the held request at `index` (in the order they were made) to its end.
  void Finish(std::size_t index) {
    Request request = std::move(held_.at(index));
    held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(index));
    request.work();
    request.done();
  }
  // Runs a held request's work only, as a thread would have before the program ended.
  void DropAfterWork(std::size_t index) {
    held_.at(index).work();
    held_.erase(held_.begin() + static_cast<std::ptrdiff_t>(index));
  }

 private:
  struct Request {
    std::function<void()> work;
    std::function<void()> done;
  };
  std::vector<Request> held_;
};

}  // namespace zephyr::testing
