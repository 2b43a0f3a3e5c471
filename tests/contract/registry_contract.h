// The registry contract: one suite of tests that runs against FakeRegistry natively and against
// the real registry under Wine, so the fake can be trusted wherever the program relies on it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_port.h"

namespace zephyr::testing {

// A registry with a private, empty test key under HKEY_CURRENT_USER; it goes away with the object.
class RegistryUnderTest {
 public:
  virtual ~RegistryUnderTest() = default;
  virtual RegistryPort& Port() = 0;
  // The test key, relative to HKEY_CURRENT_USER.
  virtual std::string Root() const = 0;
  // Keys still open, where the registry can tell.
  virtual std::optional<std::size_t> OpenHandles() const { return std::nullopt; }
};

struct RegistryBackend {
  std::string name;
  std::function<std::unique_ptr<RegistryUnderTest>()> make;

  friend void PrintTo(const RegistryBackend& backend, std::ostream* out) { *out << backend.name; }
};

// The fixture: each test gets a fresh registry and its own empty test key.
class RegistryContract : public ::testing::TestWithParam<RegistryBackend> {
 protected:
  void SetUp() override {
    registry_ = GetParam().make();
    root_ = registry_->Root();
  }
  void TearDown() override {
    if (const auto open = registry_->OpenHandles()) {
      EXPECT_EQ(*open, 0u) << "a registry key was left open";
    }
    registry_.reset();
  }

  RegistryPort& Port() { return registry_->Port(); }
  // A path below the test key.
  std::string Under(std::string_view relative) const { return root_ + "\\" + std::string(relative); }

  struct Raw {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };
  // The stored type and bytes of a value, read straight through the port.
  std::optional<Raw> ReadRaw(const std::string& path, const std::string& name);
  bool KeyExists(const std::string& path);

  std::unique_ptr<RegistryUnderTest> registry_;
  std::string root_;
};

}  // namespace zephyr::testing
