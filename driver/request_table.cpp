// Request handlers: each one a thin call into the Device, plus the text-size handshake.
#include "driver/request_table.h"

#include <cstring>
#include <memory>

namespace gw {
namespace {

std::string number(int32_t v) { return " " + std::to_string(v); }

ResultCode status(Device& d, int n, const int32_t*, std::string* value) {
  int32_t v = 0;
  ResultCode rc = d.getStatus(n, &v);
  if (rc == RC_OK) *value = number(v);
  return rc;
}

ResultCode setting(Device& d, int n, const int32_t* args, std::string* value) {
  int32_t v = 0;
  ResultCode rc = d.getSetting(n, args[0], &v);
  if (rc == RC_OK) *value = number(v);
  return rc;
}

ResultCode alarm(Device& d, int, const int32_t*, std::string* value) {
  bool on = false;
  ResultCode rc = d.getAlarm(&on);
  if (rc == RC_OK) *value = on ? " 1" : " 0";
  return rc;
}

ResultCode text(Device& d, int n, const int32_t*, std::string* value) {
  size_t size = 0;
  ResultCode rc = d.getText(n, nullptr, &size);
  if (rc != RC_OK && rc != RC_BUFFER_TOO_SMALL) return rc;
  if (size == 0) size = 1;
  if (size > kMaxTextValue + 1) return RC_BUFFER_TOO_SMALL;
  std::unique_ptr<char[]> buffer(new char[size]());
  rc = d.getText(n, buffer.get(), &size);
  if (rc != RC_OK) return rc;
  std::string t(buffer.get(), strnlen(buffer.get(), size));
  // A line feed inside the text would end the reply early and desynchronise the service.
  for (char& c : t) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  *value = " " + t;
  return RC_OK;
}

ResultCode numeric(Device& d, int n, const int32_t*, std::string* value) {
  // Element 18 has no request of its own: R18 reads element 17 like R17.
  int32_t v = 0;
  ResultCode rc = d.getNumber(n == 18 ? 17 : n, &v);
  if (rc == RC_OK) *value = number(v);
  return rc;
}

ResultCode setSetting(Device& d, int n, const int32_t* args, std::string*) {
  return d.setSetting(n, args[0]);
}
ResultCode setAlarm(Device& d, int, const int32_t* args, std::string*) {
  return d.setAlarm(args[0]);
}
ResultCode selfTest(Device& d, int, const int32_t* args, std::string*) {
  return d.selfTest(args[0]);
}
ResultCode sleepCmd(Device& d, int, const int32_t* args, std::string*) {
  return d.sleep(args[0], args[1]);
}
ResultCode shutdownCmd(Device& d, int, const int32_t* args, std::string*) {
  return d.shutdown(args[0]);
}
ResultCode buzzer(Device& d, int, const int32_t*, std::string*) { return d.toggleBuzzer(); }

constexpr RequestRow kRows[] = {
    {'S', 0, 13, 0, status},       {'R', 0, 6, 1, setting},     {'R', 7, 7, 0, alarm},
    {'R', 8, 15, 0, text},         {'R', 16, 30, 0, numeric},   {'W', 0, 6, 1, setSetting},
    {'W', 7, 7, 1, setAlarm},      {'C', 0, 0, 1, selfTest},    {'C', 1, 1, 2, sleepCmd},
    {'C', 2, 2, 1, shutdownCmd},   {'C', 3, 3, 0, buzzer},      {'C', 4, 4, 2, nullptr},
};

}  // namespace

const RequestRow* requestRows(size_t* count) {
  *count = sizeof kRows / sizeof kRows[0];
  return kRows;
}

const RequestRow* findRequestRow(char letter, int n) {
  for (const RequestRow& row : kRows) {
    if (row.letter == letter && n >= row.first && n <= row.last) return &row;
  }
  return nullptr;
}

ResultCode answerRequest(Device& device, const Request& request, std::string* reply) {
  const RequestRow* row = request.empty ? nullptr : findRequestRow(request.letter, request.number);
  ResultCode rc = RC_UNSUPPORTED;
  std::string value;
  if (row && request.arg_count < row->args) {
    rc = RC_MISSING_ARGUMENT;
  } else if (row && row->handler) {
    rc = row->handler(device, request.number, request.args, &value);
  }
  *reply = rc == RC_OK ? successReply(request, value) : errorReply(request, rc);
  return rc;
}

}  // namespace gw
