// The registry file: what is written comes back, keys go with their subkeys, and an empty
// store leaves no file.
#include "setup/logic/registry_store.h"

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace gw::setup {
namespace {

TEST(RegistryStore, RoundTripAndKeyRemoval) {
  TempDir dir;
  std::string path = dir.file("etc/gridwatch/registry");
  std::unique_ptr<RegistryStore> store;
  ASSERT_EQ(RegistryStore::open(path, &store), RC_OK) << "a missing file is an empty store";
  ASSERT_EQ(store->setValue("A\\B", "UninstallString", "/opt/x/Uninstal -Remove"), RC_OK);
  ASSERT_EQ(store->setValue("A\\B\\C", "v", "with = sign"), RC_OK);
  ASSERT_EQ(store->setValue("A\\BB", "kept", "1"), RC_OK);
  EXPECT_EQ(store->setValue("A", "bad=name", "x"), RC_BAD_VALUE);
  EXPECT_EQ(store->setValue("A", "name", "two\nlines"), RC_BAD_VALUE);
  ASSERT_EQ(store->save(), RC_OK);
  EXPECT_EQ(dir.read("etc/gridwatch/registry"),
            "[A\\B]\nUninstallString=/opt/x/Uninstal -Remove\n[A\\BB]\nkept=1\n"
            "[A\\B\\C]\nv=with = sign\n");

  ASSERT_EQ(RegistryStore::open(path, &store), RC_OK);
  std::string data;
  ASSERT_TRUE(store->value("A\\B\\C", "v", &data));
  EXPECT_EQ(data, "with = sign");
  store->deleteKey("A\\B");
  EXPECT_FALSE(store->hasKey("A\\B\\C")) << "subkeys go with their key";
  EXPECT_TRUE(store->hasKey("A\\BB")) << "a key that only shares the prefix stays";
  store->deleteValue("A\\BB", "kept");
  store->deleteKey("A\\BB");
  ASSERT_EQ(store->save(), RC_OK);
  EXPECT_FALSE(dir.exists("etc/gridwatch/registry"));
  EXPECT_FALSE(dir.exists("etc/gridwatch")) << "the emptied folder goes too";
  EXPECT_TRUE(dir.exists("etc"));
}

TEST(RegistryStore, AGarbledFileIsRefused) {
  TempDir dir;
  dir.write("registry", "value before any key\n");
  std::unique_ptr<RegistryStore> store;
  EXPECT_EQ(RegistryStore::open(dir.file("registry"), &store), RC_BAD_VALUE);
  EXPECT_EQ(store, nullptr);
}

}  // namespace
}  // namespace gw::setup
