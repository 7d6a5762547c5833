// Parsing of the control commands.
#include "sim/sim_controller.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <vector>

#include "sim/contact_responder.h"

namespace gw {
namespace {

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  std::string w;
  while (in >> w) out.push_back(w);
  return out;
}

bool parseNumber(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (end == nullptr || *end != '\0') return false;
  *value = v;
  return true;
}

std::string fixed(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

const char* kHelp =
    "OK commands: status | mains fail|restore | battery low|ok|<pct> | load <pct> | volts <V> | "
    "freq <Hz> | temp <C> | drain on|off | output on|off | cable pull|plug | model <name> | "
    "models | fault dsr-follows-dtr|garble on|off | received [n] | clear | where | quit";

using Words = std::vector<std::string>;

// A handler's reply; nullopt when the arguments do not fit the command at all, which is then
// answered as an unknown command.
using Reply = std::optional<std::string>;

std::string statusText(SimUps& ups) {
  UpsModel& m = ups.model();
  std::string s = "OK kind=" + std::string(upsKindName(ups.kind()));
  s += " model=" + m.profile().name;
  s += std::string(" mains=") + (m.mainsPresent() ? "on" : "off");
  s += std::string(" output=") + (m.outputOn() ? "on" : "off");
  s += " in=" + fixed(m.inputVolts()) + " out=" + fixed(m.outputVolts());
  s += " hz=" + fixed(m.frequency()) + " load=" + fixed(m.load());
  s += " battery=" + fixed(m.capacity());
  s += std::string(" low=") + (m.batteryLow() ? "1" : "0");
  s += " temp=" + fixed(m.temperature());
  s += std::string(" test=") + (m.selfTestRunning() ? "1" : "0");
  s += std::string(" sleep=") + (m.waitingToSleep() ? "1" : "0");
  s += std::string(" wake=") + (m.waitingToWake() ? "1" : "0");
  s += std::string(" alarm=") + (m.alarmEnabled() ? "1" : "0");
  s += std::string(" cable=") + (ups.cablePulled() ? "pulled" : "plugged");
  s += " " + CommandLog::linesText(ups.outputLines());
  return s;
}

// The readings set by a number in a range: "load 55" and the like.
struct Reading {
  std::string_view word;
  int low;
  int high;
  void (UpsModel::*set)(double);
};

constexpr Reading kReadings[] = {
    {"load", 0, 200, &UpsModel::setLoad},
    {"volts", 0, 400, &UpsModel::setInputVolts},
    {"freq", 0, 100, &UpsModel::setFrequency},
    {"temp", -40, 200, &UpsModel::setTemperature},
};

Reply setReading(SimUps& ups, const Words& w) {
  for (const Reading& r : kReadings) {
    if (r.word != w[0]) continue;
    double number = 0;
    if (!parseNumber(w[1], &number) || number < r.low || number > r.high) {
      return "ERR " + w[0] + " <" + std::to_string(r.low) + ".." + std::to_string(r.high) + ">";
    }
    (ups.model().*r.set)(number);
    return "OK " + w[0] + " " + fixed(number);
  }
  return std::nullopt;
}

Reply help(SimUps&, const Words&) { return kHelp; }
Reply status(SimUps& ups, const Words&) { return statusText(ups); }

Reply mains(SimUps& ups, const Words& w) {
  if (w[1] == "fail" || w[1] == "off") {
    ups.model().setMains(false);
    return "OK mains off";
  }
  if (w[1] == "restore" || w[1] == "on") {
    ups.model().setMains(true);
    return "OK mains on";
  }
  return "ERR mains fail|restore";
}

Reply battery(SimUps& ups, const Words& w) {
  UpsModel& m = ups.model();
  double number = 0;
  if (w[1] == "low") {
    m.forceBatteryLow(true);
    return "OK battery low";
  }
  if (w[1] == "ok") {
    m.forceBatteryLow(false);
    if (m.capacity() < 50.0) m.setCapacity(50.0);
    return "OK battery ok";
  }
  if (parseNumber(w[1], &number) && number >= 0 && number <= 100) {
    m.setCapacity(number);
    return "OK battery " + fixed(number);
  }
  return "ERR battery low|ok|<0..100>";
}

// "drain on|off" and "output on|off".
Reply onOff(SimUps& ups, const Words& w) {
  if (w[1] != "on" && w[1] != "off") return std::nullopt;
  bool on = w[1] == "on";
  if (w[0] == "drain") {
    ups.model().setDrain(on);
  } else {
    ups.model().setOutput(on);
  }
  return "OK " + w[0] + " " + w[1];
}

Reply cable(SimUps& ups, const Words& w) {
  if (w[1] == "pull") {
    ups.setCablePulled(true);
    return "OK cable pulled";
  }
  if (w[1] == "plug") {
    ups.setCablePulled(false);
    return "OK cable plugged";
  }
  return "ERR cable pull|plug";
}

Reply model(SimUps& ups, const Words& w) {
  if (ups.changeModel(w[1]) != RC_OK) {
    return "ERR no " + std::string(upsKindName(ups.kind())) + " model " + w[1];
  }
  return "OK model " + w[1];
}

Reply models(SimUps& ups, const Words&) {
  std::string s = "OK";
  for (const std::string& n : upsProfileNames(ups.kind())) s += " " + n;
  return s;
}

Reply fault(SimUps& ups, const Words& w) {
  if (w[2] != "on" && w[2] != "off") return std::nullopt;
  bool on = w[2] == "on";
  if (w[1] == "dsr-follows-dtr") {
    ContactResponder* contact = ups.contact();
    if (!contact) return "ERR only a contact-closure UPS has that fault";
    contact->setDsrFollowsDtr(on);
    return "OK fault dsr-follows-dtr " + w[2];
  }
  if (w[1] == "garble") {
    ups.setGarbled(on);
    return "OK fault garble " + w[2];
  }
  return std::nullopt;
}

Reply received(SimUps& ups, const Words& w) {
  std::vector<std::string> entries = ups.log().entries();
  size_t first = 0;
  if (w.size() == 2) {
    double number = 0;
    if (!parseNumber(w[1], &number) || number < 1 || number != static_cast<long>(number)) {
      return "ERR received [<count>]";
    }
    auto count = static_cast<size_t>(number);
    if (count < entries.size()) first = entries.size() - count;
  }
  std::string s = "OK " + std::to_string(entries.size() - first);
  for (size_t i = first; i < entries.size(); ++i) s += " " + entries[i];
  return s;
}

Reply clear(SimUps& ups, const Words&) {
  ups.log().clear();
  return "OK cleared";
}

struct Command {
  std::string_view word;
  size_t min_words;  // the command word included
  size_t max_words;  // 0: no limit
  Reply (*handler)(SimUps& ups, const Words& w);
};

constexpr Command kCommands[] = {
    {"help", 1, 0, &help},           {"status", 1, 1, &status},
    {"mains", 2, 2, &mains},         {"battery", 2, 2, &battery},
    {"load", 2, 2, &setReading},     {"volts", 2, 2, &setReading},
    {"freq", 2, 2, &setReading},     {"temp", 2, 2, &setReading},
    {"drain", 2, 2, &onOff},         {"output", 2, 2, &onOff},
    {"cable", 2, 2, &cable},         {"model", 2, 2, &model},
    {"models", 1, 1, &models},       {"fault", 3, 3, &fault},
    {"received", 1, 2, &received},   {"clear", 1, 1, &clear},
};

}  // namespace

std::string SimController::execute(const std::string& raw) {
  std::string line = raw;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  Words w = words(line);
  if (w.empty()) return "ERR empty command";
  for (const Command& command : kCommands) {
    if (command.word != w[0] || w.size() < command.min_words) continue;
    if (command.max_words != 0 && w.size() > command.max_words) continue;
    Reply reply = command.handler(ups_, w);
    if (reply) return *reply;
  }
  return "ERR unknown command: " + CommandLog::escapeBytes(line) + " (try help)";
}

}  // namespace gw
