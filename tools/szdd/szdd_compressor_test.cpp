// Every compressed file must come back byte for byte through libmspack's SZDD decoder, which is
// what the installer and the launcher use.
#include "tools/szdd/szdd_compressor.h"

#include <gtest/gtest.h>
#include <mspack.h>

#include <random>

#include "testing/temp_dir.h"

namespace gw {
namespace {

class SzddRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    szdd_ = mspack_create_szdd_decompressor(nullptr);
    ASSERT_NE(szdd_, nullptr);
  }
  void TearDown() override { mspack_destroy_szdd_decompressor(szdd_); }

  // Compresses, expands through libmspack and returns the expanded bytes; the header's length
  // and missing character are checked on the way.
  std::string roundTrip(const std::string& data, char missing = '\0', size_t* packed_size = nullptr) {
    std::string packed;
    EXPECT_EQ(szddCompress(data, missing, &packed), RC_OK);
    if (packed_size) *packed_size = packed.size();
    dir_.write("in._", packed);
    std::string in = dir_.file("in._");
    msszddd_header* header = szdd_->open(szdd_, in.c_str());
    EXPECT_NE(header, nullptr) << "libmspack refused the header";
    if (!header) return {};
    EXPECT_EQ(header->format, MSSZDD_FMT_NORMAL);
    EXPECT_EQ(header->length, static_cast<off_t>(data.size()));
    EXPECT_EQ(header->missing_char, missing);
    std::string out = dir_.file("out");
    EXPECT_EQ(szdd_->extract(szdd_, header, out.c_str()), MSPACK_ERR_OK);
    szdd_->close(szdd_, header);
    return dir_.read("out");
  }

  TempDir dir_;
  msszdd_decompressor* szdd_ = nullptr;
};

TEST_F(SzddRoundTrip, SmallAndTextInputs) {
  EXPECT_EQ(roundTrip(""), "");
  EXPECT_EQ(roundTrip("x"), "x");
  EXPECT_EQ(roundTrip("abcabcabcabc", 'v'), "abcabcabcabc");
  // Blanks are what the decoder's window starts with; they must not leak into the output.
  std::string blanks(100, ' ');
  EXPECT_EQ(roundTrip(blanks), blanks);
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i % 37) + " of the licence\n";
  size_t packed = 0;
  EXPECT_EQ(roundTrip(text, '\0', &packed), text);
  EXPECT_LT(packed, text.size() / 3) << "repetitive text should shrink";
}

TEST_F(SzddRoundTrip, MatchesAtTheWindowLimitsAndOverlappingRuns) {
  std::mt19937 rng(17);
  auto randomBytes = [&](size_t n) {
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng() & 0xff);
    return s;
  };
  // Periods just below, at and above the window repeat a block at the greatest distances.
  for (size_t period : {4094u, 4095u, 4096u, 4097u}) {
    std::string block = randomBytes(period);
    std::string data = block + block + block.substr(0, 1000);
    EXPECT_EQ(roundTrip(data), data) << "period " << period;
  }
  // One byte repeated: every match overlaps the bytes it writes.
  std::string run(50000, '\x7f');
  size_t packed = 0;
  EXPECT_EQ(roundTrip(run, '\0', &packed), run);
  EXPECT_LT(packed, run.size() / 7);
  // Incompressible data grows by at most one flag byte per eight literals.
  std::string noise = randomBytes(200000);
  EXPECT_EQ(roundTrip(noise, '\0', &packed), noise);
  EXPECT_LE(packed, 14 + noise.size() + noise.size() / 8 + 1);
}

TEST_F(SzddRoundTrip, AProgramOfTheBuild) {
  const char* bin = std::getenv("GW_BIN_DIR");
  ASSERT_NE(bin, nullptr);
  std::string program;
  {
    TempDir scratch;
    ASSERT_TRUE(scratch.copyProgram("szddpack"));
    program = scratch.read("szddpack");
  }
  ASSERT_GT(program.size(), 10000u);
  size_t packed = 0;
  EXPECT_TRUE(roundTrip(program, '\0', &packed) == program);
  EXPECT_LT(packed, program.size());
}

TEST(SzddMissingChar, NamesThatReplaceTheirLastCharacter) {
  EXPECT_EQ(szddMissingChar("hello.wav", "hello.wa_"), 'v');
  EXPECT_EQ(szddMissingChar("libpmx.so", "libpmx.s_"), 'o');
  EXPECT_EQ(szddMissingChar("monview", "monview.ex_"), '\0');
  EXPECT_EQ(szddMissingChar("install", "Install.ex_"), '\0');
  EXPECT_EQ(szddMissingChar("a.txt", "b.tx_"), '\0');
}

}  // namespace
}  // namespace gw
