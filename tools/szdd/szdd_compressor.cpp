// Greedy LZSS with hash chains. The decoder copies matches byte by byte through its window, so a
// match may overlap the bytes it produces, as in any LZ77 coder.
#include "tools/szdd/szdd_compressor.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace gw {
namespace {

constexpr size_t kWindow = 4096;
constexpr size_t kWindowMask = kWindow - 1;
constexpr size_t kFirstPosition = kWindow - 16;  // where the decoder writes the first byte
constexpr size_t kMinMatch = 3;
constexpr size_t kMaxMatch = 18;
// A match may reach back at most this far; one less than the window keeps the source bytes
// clear of the slot being written.
constexpr size_t kMaxDistance = kWindow - 1;
constexpr int kMaxChain = 128;
constexpr size_t kHashBits = 14;

uint32_t hash3(const unsigned char* p) {
  uint32_t v = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
  return (v * 2654435761u) >> (32 - kHashBits);
}

// Collects items eight to a group behind one flag byte (bit set: literal).
class GroupWriter {
 public:
  explicit GroupWriter(std::string* out) : out_(out) {}
  void literal(unsigned char c) {
    begin();
    out_->at(flag_at_) = static_cast<char>(out_->at(flag_at_) | (1 << count_));
    out_->push_back(static_cast<char>(c));
    ++count_;
  }
  void match(size_t window_pos, size_t length) {
    begin();
    out_->push_back(static_cast<char>(window_pos & 0xff));
    out_->push_back(static_cast<char>(((window_pos >> 4) & 0xf0) | (length - kMinMatch)));
    ++count_;
  }

 private:
  void begin() {
    if (count_ < 8) return;
    flag_at_ = out_->size();
    out_->push_back('\0');
    count_ = 0;
  }
  std::string* out_;
  size_t flag_at_ = 0;
  int count_ = 8;
};

}  // namespace

ResultCode szddCompress(std::string_view data, char missing_char, std::string* out) {
  if (data.size() > kSzddMaxInput) return RC_BAD_VALUE;
  std::string result = {'S', 'Z', 'D', 'D', '\x88', '\xf0', '\x27', '\x33', 'A', missing_char};
  uint32_t length = static_cast<uint32_t>(data.size());
  for (int i = 0; i < 4; ++i) result.push_back(static_cast<char>((length >> (8 * i)) & 0xff));

  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  const size_t n = data.size();
  std::vector<int64_t> head(size_t{1} << kHashBits, -1);
  std::array<int64_t, kWindow> prev{};
  GroupWriter writer(&result);
  auto insert = [&](size_t pos) {
    if (pos + kMinMatch > n) return;
    uint32_t h = hash3(bytes + pos);
    prev[pos & kWindowMask] = head[h];
    head[h] = static_cast<int64_t>(pos);
  };

  size_t pos = 0;
  while (pos < n) {
    size_t best_len = 0;
    size_t best_from = 0;
    if (pos + kMinMatch <= n) {
      size_t limit = std::min(kMaxMatch, n - pos);
      int64_t cand = head[hash3(bytes + pos)];
      for (int chain = 0; cand >= 0 && chain < kMaxChain; ++chain) {
        size_t from = static_cast<size_t>(cand);
        if (pos - from > kMaxDistance) break;
        size_t len = 0;
        while (len < limit && bytes[from + len] == bytes[pos + len]) ++len;
        if (len > best_len) {
          best_len = len;
          best_from = from;
          if (len == limit) break;
        }
        int64_t next = prev[from & kWindowMask];
        if (next >= cand) break;  // the slot was reused by a newer position
        cand = next;
      }
    }
    if (best_len >= kMinMatch) {
      writer.match((kFirstPosition + best_from) & kWindowMask, best_len);
      for (size_t i = 0; i < best_len; ++i) insert(pos + i);
      pos += best_len;
    } else {
      writer.literal(bytes[pos]);
      insert(pos);
      ++pos;
    }
  }
  *out = std::move(result);
  return RC_OK;
}

char szddMissingChar(std::string_view original, std::string_view compressed) {
  if (original.empty() || compressed.size() != original.size() || compressed.back() != '_') {
    return '\0';
  }
  if (original.substr(0, original.size() - 1) != compressed.substr(0, compressed.size() - 1)) {
    return '\0';
  }
  return original.back();
}

}  // namespace gw
