// The monctl commands: status, get, set, log, schedule and selftest.
#include "tools/monctl/monctl_app.h"

#include <set>

#include "client/core/log_records.h"
#include "client/core/value_text.h"
#include "common/line_file.h"
#include "tools/monctl/schedule_text.h"

namespace gw {
namespace {

// Codes up to here come from the UPS or its driver; a status line shows them and goes on.
constexpr int kLastDeviceCode = RC_DEVICE_CHANGED;

int logNumber(std::string_view name) {
  int kind = LOG_EVENT;
  (void)logKindFromName(name, &kind);  // the options have refused any other name
  return kind;
}

// The policy's counts and delays are 32-bit and read back unsigned, so "-1" comes back as
// "4294967295"; both name the same value.
bool sameValue(std::string_view wanted, std::string_view held) {
  if (wanted == held) return true;
  long long a = 0;
  long long b = 0;
  return parseWholeInt(wanted, &a) && parseWholeInt(held, &b) &&
         static_cast<uint32_t>(a) == static_cast<uint32_t>(b) && a >= INT32_MIN && a <= UINT32_MAX;
}

}  // namespace

int MonctlApp::run(const MonctlOptions& options) {
  ResultCode rc = client_.login(options.user, options.password);
  if (rc != RC_OK) return fail("login", rc);
  switch (options.command) {
    case MonctlCommand::kStatus:
      rc = status();
      break;
    case MonctlCommand::kGet:
      rc = get(options);
      break;
    case MonctlCommand::kSet:
      rc = set(options);
      break;
    case MonctlCommand::kLog:
      rc = log(options);
      break;
    case MonctlCommand::kSchedule:
      rc = schedule();
      break;
    case MonctlCommand::kSelfTest:
      rc = selfTest(options);
      break;
  }
  out_.flush();
  // An exit status keeps only the low eight bits: "ERR 256" must not end as a success.
  return rc <= 255 ? static_cast<int>(rc) : static_cast<int>(RC_ERR_WITHOUT_NUMBER);
}

ResultCode MonctlApp::fail(std::string_view what, ResultCode code) {
  err_ << "monctl: " << what << ": " << failedReadText(code);
  if (code == RC_ACCESS_DENIED) err_ << "; check --user and --password";
  if (code == RC_SOCKET_ERROR) err_ << " (no reply, or the connection broke)";
  err_ << "\n";
  return code;
}

ResultCode MonctlApp::status() {
  for (int i = 0; i < kStatusCount; ++i) {
    int32_t value = 0;
    ResultCode rc = client_.readNumber(statusVariableName(i), &value);
    // What the UPS could not tell is part of the status; a refusal by the service is not.
    if (rc != RC_OK && rc > kLastDeviceCode) {
      return fail("reading " + std::string(statusVariableName(i)), rc);
    }
    out_ << formatStatusLine(i, rc, value) << "\n";
  }
  return RC_OK;
}

ResultCode MonctlApp::get(const MonctlOptions& options) {
  ResultCode first_failure = RC_OK;
  for (const std::string& key : options.args) {
    std::string value;
    ResultCode rc = client_.getKey(classifyKey(key), key, &value);
    if (rc == RC_OK) {
      out_ << key << "=" << value << "\n";
      continue;
    }
    fail(key, rc);
    if (rc == RC_SOCKET_ERROR || rc == RC_ACCESS_DENIED) return rc;
    if (first_failure == RC_OK) first_failure = rc;
  }
  return first_failure;
}

ResultCode MonctlApp::set(const MonctlOptions& options) {
  // Below the manager level the service answers a change with success and changes nothing,
  // so the level is asked first.
  bool manager = false;
  ResultCode rc = client_.hasManagerLevel(&manager);
  if (rc != RC_OK) return fail("checking the login", rc);
  if (!manager) {
    err_ << "monctl: set: access denied (33); changing settings needs a manager login\n";
    return RC_ACCESS_DENIED;
  }
  ResultCode first_failure = RC_OK;
  for (const std::string& entry : options.args) {
    size_t equals = entry.find('=');
    std::string key = entry.substr(0, equals);
    std::string value = entry.substr(equals + 1);
    KeyStore store = classifyKey(key);
    rc = client_.setKey(store, key, value);
    std::string held;
    if (rc == RC_OK) {
      // The policy keeps its old number when a new one does not read, and still says yes.
      ResultCode read = client_.getKey(store, key, &held);
      if (read == RC_BAD_SETTING && value.empty()) {
        read = RC_OK;  // an empty text is stored but cannot be read back
      } else if (read == RC_OK && !sameValue(value, held)) {
        err_ << "monctl: " << key << ": the value was not taken; the service holds \"" << held
             << "\"\n";
        read = RC_BAD_SETTING;
      } else if (read != RC_OK) {
        fail(key, read);
      }
      rc = read;
    } else {
      fail(key, rc);
    }
    if (rc == RC_OK) out_ << key << "=" << held << "\n";
    if (rc == RC_SOCKET_ERROR) return rc;
    if (rc != RC_OK && first_failure == RC_OK) first_failure = rc;
  }
  return first_failure;
}

ResultCode MonctlApp::loadEventTexts(const std::vector<std::string>& records, EventTexts* texts) {
  std::set<int> codes;
  for (const std::string& record : records) {
    int code = 0;
    if (eventRecordCode(record, &code) && code < EventTexts::kCodeCount) codes.insert(code);
  }
  for (int code : codes) {
    std::string text;
    ResultCode rc = client_.getKey(KeyStore::kPolicy, EventTexts::contentKey(code), &text);
    if (rc == RC_SOCKET_ERROR) return rc;
    // Any other failure leaves the built-in name.
    if (rc == RC_OK) texts->setText(code, text);
  }
  return RC_OK;
}

ResultCode MonctlApp::log(const MonctlOptions& options) {
  const int number = logNumber(options.args[0]);
  const size_t wanted = static_cast<size_t>(options.log_count);
  int64_t cursor = 0;
  ResultCode rc = client_.logCount(number, &cursor);
  if (rc != RC_OK) return fail("counting the " + options.args[0] + " log", rc);
  std::vector<std::string> records;
  // Pages are read backwards from the end until enough records are in; the saved-files log
  // comes whole in one answer.
  while (cursor > 0 && records.size() < wanted) {
    int64_t first = 0;
    std::vector<std::string> page;
    rc = client_.logPageBefore(number, cursor, &first, &page);
    if (rc != RC_OK) return fail("reading the " + options.args[0] + " log", rc);
    records.insert(records.begin(), page.begin(), page.end());
    // A cursor that does not move back would loop for ever.
    if (number == LOG_SAVED || first >= cursor || first < 0) break;
    cursor = first;
  }
  if (records.size() > wanted) {
    records.erase(records.begin(), records.end() - static_cast<std::ptrdiff_t>(wanted));
  }
  if (records.empty()) {
    out_ << "no records\n";
    return RC_OK;
  }
  EventTexts texts;
  if (number == LOG_EVENT) {
    rc = loadEventTexts(records, &texts);
    if (rc != RC_OK) return fail("reading the event texts", rc);
  }
  if (number == LOG_STATUS) out_ << statusRecordHeader() << "\n";
  for (const std::string& record : records) {
    if (number == LOG_EVENT) {
      out_ << formatEventRecord(record, texts) << "\n";
    } else if (number == LOG_STATUS) {
      out_ << formatStatusRecord(record) << "\n";
    } else {
      out_ << record << "\n";
    }
  }
  return RC_OK;
}

ResultCode MonctlApp::schedule() {
  std::vector<std::string> lines;
  ResultCode rc = client_.scheduleLines(&lines);
  if (rc != RC_OK) return fail("reading the schedule", rc);
  if (lines.empty()) {
    out_ << "no scheduled items\n";
    return RC_OK;
  }
  out_ << scheduleHeader() << "\n";
  for (const std::string& line : lines) out_ << formatScheduleItem(line) << "\n";
  return RC_OK;
}

ResultCode MonctlApp::selfTest(const MonctlOptions& options) {
  bool cancel = options.args[0] == "cancel";
  long long seconds = -1;
  if (!cancel && !parseWholeInt(options.args[0], &seconds)) {
    return fail("selftest", RC_BAD_REQUEST);
  }
  ResultCode rc = client_.selfTest(static_cast<int32_t>(seconds));
  if (rc != RC_OK)
    return fail(cancel ? "stopping the battery test" : "starting the battery test", rc);
  if (cancel) {
    out_ << "battery test stopped\n";
  } else {
    out_ << "battery test of " << seconds << " s started\n";
  }
  return RC_OK;
}

}  // namespace gw
