// The real file installer on scratch folders: expansion, plain copies, and the results for a
// source or a target that cannot be used.
#include "setup/logic/mspack_file_installer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "testing/temp_dir.h"
#include "tools/szdd/szdd_compressor.h"

namespace gw::setup {
namespace {

class MspackFileInstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 3000; ++i) data_ += "sample " + std::to_string(i % 50) + "\n";
    std::string packed;
    ASSERT_EQ(szddCompress(data_, 'v', &packed), RC_OK);
    dir_.write("hello.wa_", packed);
    std::filesystem::create_directories(dir_.file("dest"));
  }
  unsigned modeOf(const std::string& name) {
    struct stat st{};
    return ::stat(dir_.file(name).c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }

  TempDir dir_;
  std::string data_;
  MspackFileInstaller installer_;
};

TEST_F(MspackFileInstallerTest, ExpandsCompressedAndCopiesPlainFilesOverTheOldOnes) {
  dir_.write("dest/hello.wav", "old contents");
  EXPECT_EQ(installer_.install(dir_.file("hello.wa_"), dir_.file("dest/hello.wav"), 0644), 0u);
  EXPECT_EQ(dir_.read("dest/hello.wav"), data_);
  EXPECT_EQ(modeOf("dest/hello.wav"), 0644u);
  EXPECT_EQ(installer_.sourceSize(dir_.file("hello.wa_")), dir_.read("hello.wa_").size());

  dir_.write("Uninstal", "#!/bin/sh\n");
  EXPECT_EQ(installer_.install(dir_.file("Uninstal"), dir_.file("dest/Uninstal"), 0755), 0u);
  EXPECT_EQ(dir_.read("dest/Uninstal"), "#!/bin/sh\n");
  EXPECT_EQ(modeOf("dest/Uninstal"), 0755u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.file("dest")),
                          std::filesystem::directory_iterator()),
            2) << "no temporary file is left behind";
}

TEST_F(MspackFileInstallerTest, AnUnusableSourceOrTargetIsNamed) {
  EXPECT_EQ(installer_.install(dir_.file("missing.ex_"), dir_.file("dest/x"), 0644),
            kInstallCannotReadSource);
  EXPECT_EQ(installer_.sourceSize(dir_.file("missing.ex_")), 0u);
  // A truncated compressed file decodes short of its header's length: unreadable, and the old
  // target stays as it was.
  dir_.write("dest/hello.wav", "old contents");
  std::string packed = dir_.read("hello.wa_");
  dir_.write("short.wa_", packed.substr(0, packed.size() / 2));
  EXPECT_EQ(installer_.install(dir_.file("short.wa_"), dir_.file("dest/hello.wav"), 0644),
            kInstallCannotReadSource);
  EXPECT_EQ(dir_.read("dest/hello.wav"), "old contents");
  // A source that is a folder cannot be read either.
  EXPECT_EQ(installer_.install(dir_.file("dest"), dir_.file("dest/y"), 0644),
            kInstallCannotReadSource);
  // A target folder that does not exist: the file cannot be created.
  EXPECT_EQ(installer_.install(dir_.file("hello.wa_"), dir_.file("nowhere/hello.wav"), 0644),
            kInstallCannotCreate);
  // A full disk, where the system has one to show.
  if (std::filesystem::exists("/dev/full")) {
    std::filesystem::create_symlink("/dev/full", dir_.file("dest/.full.new"));
    EXPECT_EQ(installer_.install(dir_.file("hello.wa_"), dir_.file("dest/full"), 0644),
              kInstallOutOfSpace);
  }
}

}  // namespace
}  // namespace gw::setup
