// Typed requests of the client protocol and the decoding of their replies.
#include "client/core/protocol_client.h"

#include "common/line_file.h"
#include "protocol/policy_key.h"
#include "protocol/wire_reply.h"

namespace gw {
namespace {

// A log number the service does not have: clearing it changes nothing.
constexpr int kNoSuchLog = kLogKindCount;

std::string_view commandWord(KeyStore store) { return store == KeyStore::kPolicy ? "PTC" : "POL"; }

// Splits "<cursor>[ <lines>]" as the log pages come.
bool splitPage(std::string_view reply, int64_t* cursor, std::string_view* body) {
  size_t digits = 0;
  while (digits < reply.size() && reply[digits] >= '0' && reply[digits] <= '9') ++digits;
  long long value = 0;
  if (digits == 0 || !parseWholeInt(reply.substr(0, digits), &value)) return false;
  std::string_view rest = reply.substr(digits);
  if (!rest.empty() && rest[0] != ' ') return false;
  *cursor = value;
  *body = rest.empty() ? rest : rest.substr(1);
  return true;
}

}  // namespace

KeyStore classifyKey(std::string_view key) {
  PolicyKey parsed;
  return PolicyKey::parse(key, &parsed) ? KeyStore::kPolicy : KeyStore::kSetting;
}

ResultCode ProtocolClient::request(std::string_view text, std::string* reply) {
  if (text.find_first_of("\r\n") != std::string_view::npos) return RC_BAD_REQUEST;
  std::string line(text);
  line.push_back('\r');
  std::string raw;
  ResultCode rc = channel_.exchange(line, &raw);
  if (rc != RC_OK) return rc;
  return decodeReply(raw, reply);
}

ResultCode ProtocolClient::login(const std::string& user, const std::string& password) {
  std::string ignored;
  ResultCode rc = request("USR NAME " + user, &ignored);
  if (rc != RC_OK) return rc;
  return request("USR PASS " + password, &ignored);
}

ResultCode ProtocolClient::readNumber(std::string_view variable, int32_t* value) {
  std::string reply;
  ResultCode rc = request("DEV " + std::string(variable), &reply);
  if (rc != RC_OK) return rc;
  long long number = 0;
  if (!parseWholeInt(reply, &number) || number < INT32_MIN || number > INT32_MAX) {
    return RC_SOCKET_ERROR;
  }
  *value = static_cast<int32_t>(number);
  return RC_OK;
}

ResultCode ProtocolClient::getKey(KeyStore store, std::string_view key, std::string* value) {
  // A key holding '=' would turn the read into a change.
  if (key.find('=') != std::string_view::npos) return RC_BAD_REQUEST;
  return request(std::string(commandWord(store)) + " " + std::string(key), value);
}

ResultCode ProtocolClient::setKey(KeyStore store, std::string_view key, std::string_view value) {
  if (key.empty() || key.find('=') != std::string_view::npos) return RC_BAD_REQUEST;
  std::string ignored;
  return request(
      std::string(commandWord(store)) + " " + std::string(key) + "=" + std::string(value),
      &ignored);
}

ResultCode ProtocolClient::hasManagerLevel(bool* manager) {
  std::string ignored;
  ResultCode rc = request("LOG CLR " + std::to_string(kNoSuchLog), &ignored);
  if (rc == RC_OK || rc == RC_ACCESS_DENIED) {
    *manager = rc == RC_OK;
    return RC_OK;
  }
  return rc;
}

ResultCode ProtocolClient::logCount(int log, int64_t* count) {
  std::string reply;
  ResultCode rc = request("LOG KEY " + std::to_string(log), &reply);
  if (rc != RC_OK) return rc;
  long long value = 0;
  if (!parseWholeInt(reply, &value) || value < 0) return RC_SOCKET_ERROR;
  *count = value;
  return RC_OK;
}

ResultCode ProtocolClient::logPageBefore(int log, int64_t before, int64_t* first,
                                         std::vector<std::string>* records) {
  std::string reply;
  ResultCode rc = request("LOG PRV " + std::to_string(log) + " " + std::to_string(before), &reply);
  if (rc != RC_OK) return rc;
  int64_t cursor = 0;
  std::string_view body;
  if (!splitPage(reply, &cursor, &body)) return RC_SOCKET_ERROR;
  std::vector<std::string> lines = splitLines(body);
  for (std::string& line : lines) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  *first = cursor;
  *records = std::move(lines);
  return RC_OK;
}

ResultCode ProtocolClient::scheduleLines(std::vector<std::string>* lines) {
  std::string reply;
  ResultCode rc = request("SCH GET", &reply);
  if (rc != RC_OK) return rc;
  *lines = splitLines(reply);
  return RC_OK;
}

ResultCode ProtocolClient::selfTest(int32_t seconds) {
  std::string ignored;
  return request("DEV CMD_SELFTEST " + std::to_string(seconds), &ignored);
}

}  // namespace gw
