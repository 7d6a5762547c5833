// Every settings-file loader: "policy", "protect", "access", "user" and "schedule". The first
// byte picks the file; the rest is its text. Whatever a loader keeps, it writes with LF line
// ends only, and what it writes loads again in full to the same text.
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "service/access/access_control.h"
#include "service/config/config_store.h"
#include "service/config/policy_table.h"
#include "service/schedule/schedule.h"
#include "testing/fake_clock.h"

namespace {

// No file is read or written: the stores point at a directory that does not exist.
constexpr const char* kNowhere = "/nonexistent/gridwatch-fuzz";

const bool kZoneSet = [] {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  return true;
}();

void checkWritten(const std::string& text) { GW_FUZZ_CHECK(text.find('\r') == std::string::npos); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)kZoneSet;
  gw::fuzz::FuzzInput input(data, size);
  int which = input.byte() % 5;
  std::string text(input.rest());
  std::vector<size_t> refused;
  switch (which) {
    case 0: {
      gw::NoticeIdCounter ids;
      gw::ConfigStore store(kNowhere, ids, nullptr);
      store.loadText(text, &refused);
      std::string written = store.fileText();
      checkWritten(written);
      gw::ConfigStore again(kNowhere, ids, nullptr);
      std::vector<size_t> refused_again;
      again.loadText(written, &refused_again);
      GW_FUZZ_CHECK(refused_again.empty());
      GW_FUZZ_CHECK(again.fileText() == written);
      break;
    }
    case 1: {
      gw::NoticeIdCounter ids;
      gw::PolicyTable table(ids, nullptr);
      table.loadText(text, &refused);
      std::string written = table.fileText();
      checkWritten(written);
      gw::PolicyTable again(ids, nullptr);
      std::vector<size_t> refused_again;
      again.loadText(written, &refused_again);
      GW_FUZZ_CHECK(refused_again.empty());
      GW_FUZZ_CHECK(again.fileText() == written);
      break;
    }
    case 2: {
      auto rules = gw::AccessControl::parseAccessFile(text, &refused);
      std::string written = gw::AccessControl::formatAccessFile(rules);
      checkWritten(written);
      std::vector<size_t> refused_again;
      GW_FUZZ_CHECK(gw::AccessControl::parseAccessFile(written, &refused_again) == rules);
      GW_FUZZ_CHECK(refused_again.empty());
      break;
    }
    case 3: {
      auto accounts = gw::AccessControl::parseUserFile(text, &refused);
      std::string written = gw::AccessControl::formatUserFile(accounts);
      checkWritten(written);
      std::vector<size_t> refused_again;
      auto again = gw::AccessControl::parseUserFile(written, &refused_again);
      GW_FUZZ_CHECK(again == accounts);
      GW_FUZZ_CHECK(refused_again.empty());
      break;
    }
    default: {
      gw::FakeClock clock;
      gw::Schedule schedule(kNowhere, clock);
      schedule.replaceItems(text);
      std::string written;
      schedule.listItems(&written);
      checkWritten(written);
      gw::Schedule again(kNowhere, clock);
      again.replaceItems(written);
      std::string rewritten;
      again.listItems(&rewritten);
      GW_FUZZ_CHECK(rewritten == written);
      break;
    }
  }
  for (size_t i = 1; i < refused.size(); ++i) GW_FUZZ_CHECK(refused[i - 1] < refused[i]);
  return 0;
}
