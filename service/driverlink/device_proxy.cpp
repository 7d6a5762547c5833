// Request lines out, reply lines parsed: the service's half of the driver's line protocol.
#include "service/driverlink/device_proxy.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace gw {
namespace {

constexpr uint32_t textKey(char letter, int number) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(letter)) << 24) |
         static_cast<uint32_t>(number);
}

// A decimal int32 that fills the whole text.
bool parseInt32(std::string_view text, int32_t* out) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int32_t v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return false;
  *out = v;
  return true;
}

std::string argText(int32_t value) { return " " + std::to_string(value); }

}  // namespace

std::string DeviceProxy::requestLine(char letter, int number, const std::string& args) {
  std::string request;
  request.reserve(args.size() + 8);
  request += letter;
  request += std::to_string(number);
  request += args;
  request += '\n';
  return request;
}

ResultCode DeviceProxy::exchange(char letter, int number, const std::string& args,
                                 std::string* payload) {
  std::string reply;
  ResultCode rc = channel_.exchange(requestLine(letter, number, args), &reply);
  return parseReply(letter, number, rc, reply, payload);
}

ResultCode DeviceProxy::parseNumberReply(char letter, int number, ResultCode channel_rc,
                                         const std::string& reply, int32_t* value) {
  std::string text;
  ResultCode rc = parseReply(letter, number, channel_rc, reply, &text);
  if (rc != RC_OK) return rc;
  int32_t v = 0;
  if (!parseInt32(text, &v)) return RC_MALFORMED_REPLY;
  *value = v;
  return RC_OK;
}

ResultCode DeviceProxy::parseReply(char letter, int number, ResultCode rc,
                                   const std::string& reply, std::string* payload) {
  if (rc != RC_OK) return rc == RC_MALFORMED_REPLY ? RC_MALFORMED_REPLY : RC_PIPE_BROKEN;

  std::string_view line(reply);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty() || line.front() != letter) return RC_MALFORMED_REPLY;
  // The echo must carry our own number too: a reply to some other request is never taken for
  // this one's.
  size_t digits_end = 1;
  while (digits_end < line.size() && line[digits_end] >= '0' && line[digits_end] <= '9') {
    ++digits_end;
  }
  int32_t echoed = 0;
  if (!parseInt32(line.substr(1, digits_end - 1), &echoed) || echoed != number) {
    return RC_MALFORMED_REPLY;
  }
  std::string_view rest = line.substr(digits_end);
  if (rest.empty()) {
    if (payload) return RC_MALFORMED_REPLY;  // a read without its value
    return RC_OK;
  }
  if (rest.front() == 'E') {
    int32_t code = 0;
    if (rest.size() < 3 || rest[1] != ' ' || !parseInt32(rest.substr(2), &code) || code <= 0) {
      return RC_MALFORMED_REPLY;  // "E" with nothing usable, or an error that claims success
    }
    return static_cast<ResultCode>(code);
  }
  if (rest.front() != ' ') return RC_MALFORMED_REPLY;
  if (payload) payload->assign(rest.substr(1));
  return RC_OK;
}

ResultCode DeviceProxy::command(char letter, int number, const std::string& args) {
  return exchange(letter, number, args, nullptr);
}

ResultCode DeviceProxy::readNumber(char letter, int number, const std::string& args,
                                   int32_t* value) {
  std::string reply;
  ResultCode rc = channel_.exchange(requestLine(letter, number, args), &reply);
  return parseNumberReply(letter, number, rc, reply, value);
}

ResultCode DeviceProxy::getStatus(int n, int32_t* value) {
  if (n < 0 || n > 13) return RC_UNSUPPORTED;
  return readNumber('S', n, "", value);
}

ResultCode DeviceProxy::getSetting(int n, int32_t selector, int32_t* value) {
  if (n < 0 || n > 6) return RC_UNSUPPORTED;
  return readNumber('R', n, argText(selector), value);
}

ResultCode DeviceProxy::setSetting(int n, int32_t value) {
  if (n < 0 || n > 6) return RC_UNSUPPORTED;
  return command('W', n, argText(value));
}

ResultCode DeviceProxy::getPhase(int n, int32_t* value) {
  if (n < 0 || n > 1) return RC_UNSUPPORTED;
  return readNumber('P', n, "", value);
}

ResultCode DeviceProxy::getAlarm(int32_t* on) { return readNumber('R', 7, "", on); }

ResultCode DeviceProxy::setAlarm(int32_t value) {
  // The driver keeps the alarm setting in one byte.
  return command('W', 7, argText(static_cast<uint8_t>(value)));
}

ResultCode DeviceProxy::getText(int request, char* buffer, size_t* size) {
  if (request < 8 || request > 15) return RC_UNSUPPORTED;
  const uint32_t key = textKey('R', request);
  auto before = text_cache_.before_begin();
  auto it = text_cache_.begin();
  while (it != text_cache_.end() && it->first != key) before = it++;
  if (it == text_cache_.end()) {
    std::string text;
    ResultCode rc = exchange('R', request, "", &text);
    if (rc != RC_OK) return rc;
    text_cache_.emplace_front(key, std::move(text));
    before = text_cache_.before_begin();
    it = text_cache_.begin();
  }
  const size_t needed = it->second.size() + 1;
  if (buffer == nullptr || *size < needed) {
    *size = needed;
    return RC_BUFFER_TOO_SMALL;
  }
  std::memcpy(buffer, it->second.data(), it->second.size());
  buffer[it->second.size()] = '\0';
  text_cache_.erase_after(before);
  return RC_OK;
}

void DeviceProxy::dropCachedText(int request) {
  const uint32_t key = textKey('R', request);
  text_cache_.remove_if([key](const auto& entry) { return entry.first == key; });
}

ResultCode DeviceProxy::getNumber(int request, int32_t* value) {
  if (request < 16 || request > 30) return RC_UNSUPPORTED;
  return readNumber('R', request, "", value);
}

ResultCode DeviceProxy::selfTest(int32_t seconds) { return command('C', 0, argText(seconds)); }

ResultCode DeviceProxy::sleep(int32_t delay_seconds, int32_t restore_seconds) {
  return command('C', 1, argText(delay_seconds) + argText(restore_seconds));
}

ResultCode DeviceProxy::shutdown(int32_t delay_seconds) {
  return command('C', 2, argText(delay_seconds));
}

ResultCode DeviceProxy::toggleBuzzer() { return command('C', 3, ""); }

ResultCode DeviceProxy::changeMedia(int32_t type, int32_t index) {
  // Another device may answer after the change; texts read from the old one are void.
  text_cache_.clear();
  return command('C', 4, argText(type) + argText(index));
}

}  // namespace gw
