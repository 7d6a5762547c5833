// Temporary names: numbering from the folder's highest "temp" name, shared between threads.
#include "closer/temp_name_source.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "testing/temp_dir.h"

namespace gw {
namespace {

TEST(TempNameSourceTest, CountsOnFromTheHighestNumberInTheFolder) {
  TempDir dir;
  {
    TempNameSource empty(dir.path());
    EXPECT_EQ(empty.next(), dir.file("temp0000"));
    EXPECT_EQ(empty.next(), dir.file("temp0001"));
  }
  dir.write("temp0007.doc", "x");
  for (const char* other : {"temp", "tempx12", "temp-30", "temp 40", "Temp50", "mytemp60",
                            "temp2147483647"}) {
    dir.write(other, "");
  }
  EXPECT_EQ(TempNameSource::highestNumber(dir.path()), 7);
  TempNameSource after(dir.path());
  EXPECT_EQ(after.next(), dir.file("temp0008"));

  dir.write("temp12345", "");
  EXPECT_EQ(TempNameSource(dir.path()).next(), dir.file("temp12346")) << "more than four digits";
  EXPECT_EQ(after.next(), dir.file("temp0009")) << "the folder is looked at once per run";

  EXPECT_EQ(TempNameSource::highestNumber(dir.file("missing")), -1);
  EXPECT_EQ(TempNameSource(dir.file("missing")).next(), dir.file("missing/temp0000"));
}

TEST(TempNameSourceTest, ThreadsNeverGetTheSameName) {
  TempDir dir;
  TempNameSource names(dir.path());
  std::vector<std::vector<std::string>> got(8);
  std::vector<std::thread> threads;
  for (auto& mine : got) {
    threads.emplace_back([&names, &mine] {
      for (int i = 0; i < 50; ++i) mine.push_back(names.next());
    });
  }
  for (auto& t : threads) t.join();
  std::set<std::string> all;
  for (auto& mine : got) all.insert(mine.begin(), mine.end());
  EXPECT_EQ(all.size(), 400u);
  EXPECT_EQ(*all.rbegin(), dir.file("temp0399"));
}

}  // namespace
}  // namespace gw
