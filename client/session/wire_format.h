// The session's exchange format: one text names the request and the shape of its reply, as in
// "LOG NXT %d %l\r%l%u". Before the first carriage return is the request, where '%' and a type
// letter stand for the next argument; after it is the reply, whose type letters say what the
// reply text is read into, in order.
//
// Request letters: d int, l long, s text, t time (local wire form), u lines (each followed by a
// line feed), m records (each pair "key=value" and a line feed, one more line feed per record).
// A '%' before any other character is dropped. Reply letters: d int, l long (white space after
// it is skipped), s the whole reply text, t a time, u the remaining lines, v ints each followed
// by one separator character, m records of "key=value" lines separated by empty lines. Other
// characters of the reply half are ignored.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "common/result_code.h"

namespace gw {

using WireRecord = std::vector<std::pair<std::string, std::string>>;

struct WireTime {
  int64_t ms;  // milliseconds since 1970, written in local time
};
struct WireTimeOut {
  int64_t* ms;
};

using RequestArg = std::variant<int, long long, std::string_view, WireTime,
                                const std::vector<std::string>*, const std::vector<WireRecord>*>;
using ReplyArg = std::variant<int*, long long*, std::string*, WireTimeOut, std::vector<std::string>*,
                              std::vector<int>*, std::vector<WireRecord>*>;

struct WireFormat {
  std::string_view request;  // without the carriage return
  std::string_view reply;    // the type letters of the reply
};

WireFormat splitWireFormat(std::string_view format);

// The request text, ended by its carriage return. RC_BAD_VALUE when an argument is missing or
// of another type than its letter (a programming error); *request is written only on RC_OK.
[[nodiscard]] ResultCode buildWireRequest(std::string_view request_half,
                                          std::span<const RequestArg> args, std::string* request);

// Reads a reply text (its carriage return already taken off). "ERR " and a number gives that
// number; "ERR " with 0 or no digits gives RC_ERR_WITHOUT_NUMBER. Otherwise the reply is read
// into the outputs; a number or time the reply lacks gives RC_BAD_REPLY, and RC_BAD_VALUE means
// an output of the wrong type. Outputs may be partly written on failure.
[[nodiscard]] ResultCode readWireReply(std::string_view reply, std::string_view reply_half,
                                       std::span<const ReplyArg> outs);

}  // namespace gw
