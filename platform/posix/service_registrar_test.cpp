// The systemd registrar under a scratch root, with a recording systemctl given by path, so that
// no test can reach the machine's own service manager.
#include "platform/service_registrar.h"

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace gw {
namespace {

TEST(ServiceRegistrar, RegistersAndDeletesInsideTheRoot) {
  TempDir root;
  TempDir tools;
  tools.writeScript("systemctl", "echo \"$@\" >> \"" + tools.file("log") + "\"\n");
  auto registrar = createServiceRegistrar(root.path() + "/", tools.file("systemctl"));
  std::string unit = root.path() + "/etc/systemd/system/NorvaneUPS.service";
  EXPECT_EQ(registrar->definitionPath("NorvaneUPS"), unit);

  ASSERT_TRUE(registrar->registerService("NorvaneUPS", "[Unit]\nDescription=UPS Service\n"));
  EXPECT_EQ(root.read("etc/systemd/system/NorvaneUPS.service"), "[Unit]\nDescription=UPS Service\n");
  // Another root: only the links, nothing asked of the running manager.
  EXPECT_EQ(tools.read("log"), "--root=" + root.path() + " enable NorvaneUPS.service\n");

  registrar->deleteService("NorvaneUPS");
  EXPECT_FALSE(root.exists("etc/systemd/system/NorvaneUPS.service"));
  EXPECT_EQ(tools.read("log"), "--root=" + root.path() + " enable NorvaneUPS.service\n--root=" +
                                   root.path() + " disable NorvaneUPS.service\n");
  registrar->deleteService("NorvaneUPS");  // again: nothing left, nothing fails
}

TEST(ServiceRegistrar, AMissingManagerDoesNotFailTheRegistration) {
  TempDir root;
  auto registrar = createServiceRegistrar(root.path(), root.file("no-such-systemctl"));
  EXPECT_TRUE(registrar->registerService("NorvaneUPS", "x\n"));
  EXPECT_TRUE(root.exists("etc/systemd/system/NorvaneUPS.service"));
  // A root whose unit folder cannot be made (a file is in the way) fails.
  TempDir blocked;
  blocked.write("etc", "a file, not a folder");
  EXPECT_FALSE(createServiceRegistrar(blocked.path(), blocked.file("none"))
                   ->registerService("NorvaneUPS", "x\n"));
}

}  // namespace
}  // namespace gw
