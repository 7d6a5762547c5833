// Building requests and reading replies in the exchange format.
#include "client/session/wire_format.h"

#include <cctype>
#include <charconv>
#include <climits>

#include "common/line_file.h"
#include "common/time_text.h"
#include "protocol/wire_reply.h"

namespace gw {
namespace {

bool isRequestLetter(char c) { return std::string_view("dlstum").find(c) != std::string_view::npos; }
bool isReplyLetter(char c) { return std::string_view("dlstuvm").find(c) != std::string_view::npos; }

// The reply text as a stream: a position that only moves forward.
class ReplyReader {
 public:
  explicit ReplyReader(std::string_view text) : text_(text) {}

  void skipSpace() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  // Leading white space, an optional sign, digits.
  bool readNumber(long long* value) {
    skipSpace();
    const char* begin = text_.data() + pos_;
    const char* end = text_.data() + text_.size();
    if (begin < end && *begin == '+') ++begin;
    auto [stop, ec] = std::from_chars(begin, end, *value);
    if (ec != std::errc()) return false;
    pos_ = static_cast<size_t>(stop - text_.data());
    return true;
  }
  bool readInt(int* value) {
    long long v = 0;
    if (!readNumber(&v) || v < INT_MIN || v > INT_MAX) return false;
    *value = static_cast<int>(v);
    return true;
  }
  bool expect(char c) {
    if (pos_ >= text_.size() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  void skipOne() {
    if (pos_ < text_.size()) ++pos_;
  }
  std::string_view rest() {
    std::string_view r = text_.substr(pos_);
    pos_ = text_.size();
    return r;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// Seven numbers with the wire time's separators; the weekday is read and ignored.
bool readTime(ReplyReader& in, int64_t* ms) {
  LocalTime t;
  int weekday = 0;
  if (!in.readInt(&t.year) || !in.expect('/') || !in.readInt(&t.month) || !in.expect('/') ||
      !in.readInt(&t.day) || !in.expect(' ') || !in.readInt(&weekday) || !in.expect(' ') ||
      !in.readInt(&t.hour) || !in.expect(':') || !in.readInt(&t.minute) || !in.expect(':') ||
      !in.readInt(&t.second)) {
    return false;
  }
  return fromLocalTime(t, ms);
}

std::vector<WireRecord> readRecords(std::string_view text) {
  std::vector<WireRecord> records(1);
  for (const std::string& line : splitLines(text)) {
    std::string_view key, value;
    if (line.empty()) {
      if (!records.back().empty()) records.emplace_back();
    } else if (splitKeyValue(line, &key, &value)) {
      records.back().emplace_back(std::string(key), std::string(value));
    }
  }
  if (records.back().empty()) records.pop_back();
  return records;
}

ResultCode readOne(char letter, std::string_view whole, ReplyReader& in, const ReplyArg& out) {
  switch (letter) {
    case 'd':
      if (auto* p = std::get_if<int*>(&out)) return in.readInt(*p) ? RC_OK : RC_BAD_REPLY;
      return RC_BAD_VALUE;
    case 'l':
      if (auto* p = std::get_if<long long*>(&out)) {
        if (!in.readNumber(*p)) return RC_BAD_REPLY;
        in.skipSpace();  // so that a following list starts on the next line
        return RC_OK;
      }
      return RC_BAD_VALUE;
    case 's':
      if (auto* p = std::get_if<std::string*>(&out)) {
        (*p)->assign(whole);
        return RC_OK;
      }
      return RC_BAD_VALUE;
    case 't':
      if (auto* p = std::get_if<WireTimeOut>(&out)) return readTime(in, p->ms) ? RC_OK : RC_BAD_REPLY;
      return RC_BAD_VALUE;
    case 'u':
      if (auto* p = std::get_if<std::vector<std::string>*>(&out)) {
        **p = splitLines(in.rest());
        return RC_OK;
      }
      return RC_BAD_VALUE;
    case 'v':
      if (auto* p = std::get_if<std::vector<int>*>(&out)) {
        (*p)->clear();
        int value = 0;
        while (in.readInt(&value)) {
          (*p)->push_back(value);
          in.skipOne();
        }
        return RC_OK;
      }
      return RC_BAD_VALUE;
    case 'm':
      if (auto* p = std::get_if<std::vector<WireRecord>*>(&out)) {
        **p = readRecords(in.rest());
        return RC_OK;
      }
      return RC_BAD_VALUE;
    default:
      return RC_BAD_VALUE;
  }
}

ResultCode appendArg(char letter, const RequestArg& arg, std::string* out) {
  switch (letter) {
    case 'd':
      if (auto* v = std::get_if<int>(&arg)) return out->append(std::to_string(*v)), RC_OK;
      return RC_BAD_VALUE;
    case 'l':
      if (auto* v = std::get_if<long long>(&arg)) return out->append(std::to_string(*v)), RC_OK;
      return RC_BAD_VALUE;
    case 's':
      if (auto* v = std::get_if<std::string_view>(&arg)) return out->append(*v), RC_OK;
      return RC_BAD_VALUE;
    case 't':
      if (auto* v = std::get_if<WireTime>(&arg)) return out->append(formatWireTime(v->ms)), RC_OK;
      return RC_BAD_VALUE;
    case 'u':
      if (auto* v = std::get_if<const std::vector<std::string>*>(&arg)) {
        for (const std::string& line : **v) out->append(line).push_back('\n');
        return RC_OK;
      }
      return RC_BAD_VALUE;
    case 'm':
      if (auto* v = std::get_if<const std::vector<WireRecord>*>(&arg)) {
        for (const WireRecord& record : **v) {
          for (const auto& [key, value] : record) out->append(key).append("=").append(value) += '\n';
          out->push_back('\n');
        }
        return RC_OK;
      }
      return RC_BAD_VALUE;
    default:
      return RC_BAD_VALUE;
  }
}

}  // namespace

WireFormat splitWireFormat(std::string_view format) {
  size_t cr = format.find('\r');
  if (cr == std::string_view::npos) return {format, {}};
  return {format.substr(0, cr), format.substr(cr + 1)};
}

ResultCode buildWireRequest(std::string_view request_half, std::span<const RequestArg> args,
                            std::string* request) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < request_half.size(); ++i) {
    char c = request_half[i];
    if (c != '%' || i + 1 >= request_half.size()) {
      out.push_back(c);
      continue;
    }
    char letter = request_half[++i];
    if (!isRequestLetter(letter)) {
      out.push_back(letter);  // the '%' is dropped
      continue;
    }
    if (next >= args.size()) return RC_BAD_VALUE;
    ResultCode rc = appendArg(letter, args[next++], &out);
    if (rc != RC_OK) return rc;
  }
  out.push_back('\r');
  *request = std::move(out);
  return RC_OK;
}

ResultCode readWireReply(std::string_view reply, std::string_view reply_half,
                         std::span<const ReplyArg> outs) {
  std::string text;
  ResultCode error = decodeReply(reply, &text);
  if (error != RC_OK) return error;
  ReplyReader in(reply);
  size_t next = 0;
  for (size_t i = 0; i < reply_half.size(); ++i) {
    if (reply_half[i] != '%' || i + 1 >= reply_half.size() || !isReplyLetter(reply_half[i + 1])) {
      continue;  // letters that name no value, such as the "T" after "%d" in one format
    }
    char letter = reply_half[++i];
    if (next >= outs.size()) return RC_BAD_VALUE;
    ResultCode rc = readOne(letter, reply, in, outs[next++]);
    if (rc != RC_OK) return rc;
  }
  return RC_OK;
}

}  // namespace gw
