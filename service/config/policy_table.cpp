// The event policy table, its defaults and the "protect" file.
#include "service/config/policy_table.h"

#include <limits>

#include "common/line_file.h"
#include "platform/file_system.h"
#include "protocol/default_record_texts.h"
#include "service/config/number_text.h"

namespace gw {
namespace {

// Every parameter not listed here is 0 or empty; the record texts are kDefaultRecordTexts.
constexpr std::string_view kDefaultPolicy[] = {
    "start.record.happen.max count=1",
    "start.record.restore.max count=1",
    "start.sound.happen.max count=1",
    "start.sound.happen.content=hello.wav",
    "start.sound.restore.max count=1",
    "disconnect.record.happen.max count=1",
    "disconnect.record.restore.max count=1",
    "disconnect.sound.happen.max count=1",
    "disconnect.sound.restore.max count=1",
    "powerfail.record.happen.max count=1",
    "powerfail.record.restore.max count=1",
    "powerfail.sound.happen.max count=-1",
    "powerfail.sound.happen.delay=10",
    "powerfail.sound.happen.interval=20",
    "powerfail.sound.happen.content=pfail.wav",
    "powerfail.sound.restore.max count=1",
    "powerfail.shutdown.happen.max count=1",
    "powerfail.shutdown.happen.delay=30",
    "batterylow.record.happen.max count=1",
    "batterylow.record.restore.max count=1",
    "batterylow.sound.happen.max count=1",
    "batterylow.sound.happen.content=lbat.wav",
    "batterylow.sound.restore.max count=1",
    "batterylow.shutdown.happen.max count=1",
    "batterylow.shutdown.happen.delay=10",
    "loadover.record.happen.max count=1",
    "loadover.record.restore.max count=1",
    "loadover.sound.happen.max count=1",
    "loadover.sound.happen.content=oload.wav",
    "loadover.sound.restore.max count=1",
    "tempover.record.happen.max count=1",
    "tempover.record.restore.max count=1",
    "tempover.sound.happen.max count=1",
    "tempover.sound.happen.content=otemp.wav",
    "tempover.sound.restore.max count=1",
};

// A policy number: 32 bits, given either signed or unsigned, so -1 and 4294967295 are one value.
bool parsePolicyNumber(std::string_view text, uint32_t* out) {
  long long n = 0;
  if (!parseLeadingNumber(text, &n)) return false;
  if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<uint32_t>::max()) {
    return false;
  }
  *out = static_cast<uint32_t>(n);
  return true;
}

}  // namespace

PolicyTable::PolicyTable(NoticeIdCounter& ids, NoticeHandler* handler) : notices_(ids, handler) {
  setDefaults();
}

void PolicyTable::setDefaults() {
  for (auto& actions : policy_) {
    for (ActionPolicy& action : actions) action = ActionPolicy{};
  }
  for (std::string_view entry : kDefaultPolicy) {
    (void)set(entry, false, nullptr);  // the table above is checked by the tests
  }
  for (size_t code = 0; code < kDefaultRecordTexts.size(); ++code) {
    ActionPolicy& record = policy_[code / 2][ACTION_RECORD];
    (code % 2 == 0 ? record.happen.content : record.restore.content) = kDefaultRecordTexts[code];
  }
}

bool PolicyTable::getPolicy(std::string* text) const {
  PolicyKey key;
  if (!PolicyKey::parse(*text, &key)) return false;
  const ActionPolicy& policy = at(key.event, key.action);
  std::string value;
  if (key.phase == PHASE_HAPPEN) {
    switch (key.param) {
      case PARAM_MAX_COUNT:
        value = std::to_string(static_cast<uint32_t>(policy.happen.max_count));
        break;
      case PARAM_DELAY: value = std::to_string(policy.happen.delay); break;
      case PARAM_INTERVAL: value = std::to_string(policy.happen.interval); break;
      case PARAM_CONTENT: value = policy.happen.content; break;
    }
  } else {
    switch (key.param) {
      case PARAM_MAX_COUNT:
        value = std::to_string(static_cast<uint32_t>(policy.restore.max_count));
        break;
      case PARAM_DELAY: value = std::to_string(policy.restore.delay); break;
      case PARAM_INTERVAL: return false;  // refused by the parser already
      case PARAM_CONTENT: value = policy.restore.content; break;
    }
  }
  text->push_back('=');
  text->append(value);
  return true;
}

bool PolicyTable::setPolicy(std::string_view entry) { return set(entry, true, nullptr); }

bool PolicyTable::set(std::string_view entry, bool post_notice, bool* stored) {
  std::string_view key_text;
  std::string_view value;
  if (!splitKeyValue(entry, &key_text, &value)) return false;
  PolicyKey key;
  if (!PolicyKey::parse(key_text, &key)) return false;
  ActionPolicy& policy = policy_[static_cast<size_t>(key.event)][static_cast<size_t>(key.action)];
  if (key.param == PARAM_CONTENT) {
    // A line feed would turn into a line of its own in the file; a carriage return would end
    // the reply that reads it back.
    if (value.find_first_of("\r\n") != std::string_view::npos) return false;
    (key.phase == PHASE_HAPPEN ? policy.happen.content : policy.restore.content) = value;
    if (stored) *stored = true;
  } else {
    uint32_t n = 0;
    if (parsePolicyNumber(value, &n)) {
      if (stored) *stored = true;
      switch (key.param) {
        case PARAM_MAX_COUNT:
          (key.phase == PHASE_HAPPEN ? policy.happen.max_count : policy.restore.max_count) =
              static_cast<int32_t>(n);
          break;
        case PARAM_DELAY:
          (key.phase == PHASE_HAPPEN ? policy.happen.delay : policy.restore.delay) = n;
          break;
        case PARAM_INTERVAL: policy.happen.interval = n; break;
        case PARAM_CONTENT: break;
      }
    }
  }
  if (post_notice) notices_.post(key_text);
  return true;
}

ResultCode PolicyTable::load(const std::string& path, LoadReport* report) {
  std::string contents;
  ResultCode rc = readWholeFile(path, &contents);
  if (rc != RC_OK) return rc;
  std::vector<size_t> refused;
  loadText(contents, &refused);
  LoadReport settled = settleLoad(path, kFileName, contents, std::move(refused), kFileMode);
  if (report) *report = std::move(settled);
  return RC_OK;
}

void PolicyTable::loadText(std::string_view text, std::vector<size_t>* refused) {
  std::vector<std::string> lines = splitLines(text);
  for (size_t n = 0; n < lines.size(); ++n) {
    bool stored = false;
    // A bad line is skipped, and listed unless it is empty.
    bool taken = set(lines[n], false, &stored) && stored;
    if (!taken && !lines[n].empty() && refused) refused->push_back(n + 1);
  }
}

std::string PolicyTable::fileText() const {
  std::string out;
  for (size_t e = 0; e < kEventCount; ++e) {
    for (size_t a = 0; a < kActionCount; ++a) {
      PolicyKey key;
      key.event = static_cast<EventId>(e);
      key.action = static_cast<ActionId>(a);
      key.phase = PHASE_HAPPEN;
      for (ParamId param : kHappenParamIds) {
        key.param = param;
        std::string line = key.text();
        if (getPolicy(&line)) out.append(line).push_back('\n');
      }
      key.phase = PHASE_RESTORE;
      for (ParamId param : kRestoreParamIds) {
        key.param = param;
        std::string line = key.text();
        if (getPolicy(&line)) out.append(line).push_back('\n');
      }
    }
  }
  return out;
}

ResultCode PolicyTable::applyPolicy(std::string_view entry, const std::string& path) {
  auto before = policy_;
  if (!set(entry, false, nullptr)) return RC_BAD_SETTING;
  // On the disk first: a change that is answered as done must survive a crash.
  ResultCode rc = save(path);
  if (rc != RC_OK) {
    policy_ = std::move(before);
    return rc;
  }
  notices_.post(entry.substr(0, entry.find('=')));
  return RC_OK;
}

ResultCode PolicyTable::save(const std::string& path) const {
  return writeFileAtomically(path, fileText(), kFileMode);
}

}  // namespace gw
