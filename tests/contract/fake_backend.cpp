// Runs the registry contract against the fake.
#include <gtest/gtest.h>

#include "contract/registry_contract.h"
#include "fakes/fake_registry.h"

namespace zephyr::testing {
namespace {

class FakeUnderTest final : public RegistryUnderTest {
 public:
  FakeUnderTest() { fake_.CreatePath(kHKeyCurrentUser, Root()); }
  RegistryPort& Port() override { return fake_; }
  std::string Root() const override { return "Software\\ZephyrnetContractTest\\fake"; }
  std::optional<std::size_t> OpenHandles() const override { return fake_.OpenHandleCount(); }

 private:
  FakeRegistry fake_;
};

RegistryBackend FakeBackend() {
  return {"Fake", [] { return std::make_unique<FakeUnderTest>(); }};
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Fake, RegistryContract, ::testing::Values(FakeBackend()),
                         [](const auto& test) { return test.param.name; });

}  // namespace zephyr::testing
