// Runs the registry contract against the real registry, in a test key under HKEY_CURRENT_USER
// of the private Wine prefix (or of the Windows user running the tests). The key and everything
// below it is removed afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "contract/registry_contract.h"
#include "platform/registry.h"
#include "platform/registry_win32.h"

namespace zephyr::testing {
namespace {

constexpr char kTestParent[] = "Software\\ZephyrnetContractTest";

// Removes a key with everything below it, through the port (RegDeleteTree is not on old Windows).
void DeleteTree(RegistryPort& port, RegKey hive, const std::string& path) {
  {
    ScopedRegKey key(port);
    if (port.OpenKeyEx(hive, path, kKeyAllAccess, key.Receive()) != kErrorSuccess) return;
    char name[256];
    std::uint32_t length = sizeof name;
    // Always take the first subkey: the list shrinks as they go.
    while (port.EnumKeyEx(key.get(), 0, name, &length) == kErrorSuccess) {
      DeleteTree(port, hive, path + "\\" + std::string(name, length));
      length = sizeof name;
    }
  }
  port.DeleteKey(hive, path);
}

class RealUnderTest final : public RegistryUnderTest {
 public:
  RealUnderTest() {
    static std::atomic<int> counter{0};
    root_ = std::string(kTestParent) + "\\run-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    RegKey key = 0;
    if (port_.CreateKeyEx(kHKeyCurrentUser, root_, kKeyAllAccess, &key) == kErrorSuccess) {
      port_.CloseKey(key);
    } else {
      ADD_FAILURE() << "cannot create the test key HKEY_CURRENT_USER\\" << root_;
    }
  }
  ~RealUnderTest() override {
    DeleteTree(port_, kHKeyCurrentUser, root_);
    // The parent goes too once no other run is using it; with subkeys left the delete just fails.
    port_.DeleteKey(kHKeyCurrentUser, kTestParent);
  }
  RegistryPort& Port() override { return port_; }
  std::string Root() const override { return root_; }

 private:
  RegistryWin32 port_;
  std::string root_;
};

RegistryBackend RealBackend() {
  return {"Win32", [] { return std::make_unique<RealUnderTest>(); }};
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Win32, RegistryContract, ::testing::Values(RealBackend()),
                         [](const auto& test) { return test.param.name; });

TEST(RegistryWin32, TheContractLeavesNoTestKeyBehind) {
  std::string root;
  {
    RealUnderTest registry;
    root = registry.Root();
    SaveSettingString(registry.Port(), kHKeyCurrentUser, root + "\\a\\b", "v", "1");
  }
  RegistryWin32 port;
  ScopedRegKey key(port);
  EXPECT_EQ(port.OpenKeyEx(kHKeyCurrentUser, root, kKeyRead, key.Receive()), kErrorFileNotFound);
}

}  // namespace zephyr::testing
