// Parsing of the control commands.
#include "sim/sim_controller.h"

#include <cstdio>
#include <cstdlib>
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

}  // namespace

std::string SimController::status() {
  UpsModel& m = ups_.model();
  std::string s = "OK kind=" + std::string(upsKindName(ups_.kind()));
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
  s += std::string(" cable=") + (ups_.cablePulled() ? "pulled" : "plugged");
  s += " " + CommandLog::linesText(ups_.outputLines());
  return s;
}

std::string SimController::execute(const std::string& raw) {
  std::string line = raw;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> w = words(line);
  if (w.empty()) return "ERR empty command";
  const std::string& cmd = w[0];
  UpsModel& m = ups_.model();
  auto arg = [&](size_t i) -> std::string { return i < w.size() ? w[i] : std::string(); };
  double number = 0;

  if (cmd == "help") return kHelp;
  if (cmd == "status" && w.size() == 1) return status();
  if (cmd == "mains" && w.size() == 2) {
    if (arg(1) == "fail" || arg(1) == "off") {
      m.setMains(false);
      return "OK mains off";
    }
    if (arg(1) == "restore" || arg(1) == "on") {
      m.setMains(true);
      return "OK mains on";
    }
    return "ERR mains fail|restore";
  }
  if (cmd == "battery" && w.size() == 2) {
    if (arg(1) == "low") {
      m.forceBatteryLow(true);
      return "OK battery low";
    }
    if (arg(1) == "ok") {
      m.forceBatteryLow(false);
      if (m.capacity() < 50.0) m.setCapacity(50.0);
      return "OK battery ok";
    }
    if (parseNumber(arg(1), &number) && number >= 0 && number <= 100) {
      m.setCapacity(number);
      return "OK battery " + fixed(number);
    }
    return "ERR battery low|ok|<0..100>";
  }
  if (cmd == "load" && w.size() == 2) {
    if (!parseNumber(arg(1), &number) || number < 0 || number > 200) return "ERR load <0..200>";
    m.setLoad(number);
    return "OK load " + fixed(number);
  }
  if (cmd == "volts" && w.size() == 2) {
    if (!parseNumber(arg(1), &number) || number < 0 || number > 400) return "ERR volts <0..400>";
    m.setInputVolts(number);
    return "OK volts " + fixed(number);
  }
  if (cmd == "freq" && w.size() == 2) {
    if (!parseNumber(arg(1), &number) || number < 0 || number > 100) return "ERR freq <0..100>";
    m.setFrequency(number);
    return "OK freq " + fixed(number);
  }
  if (cmd == "temp" && w.size() == 2) {
    if (!parseNumber(arg(1), &number) || number < -40 || number > 200) {
      return "ERR temp <-40..200>";
    }
    m.setTemperature(number);
    return "OK temp " + fixed(number);
  }
  if ((cmd == "drain" || cmd == "output") && w.size() == 2 && (arg(1) == "on" || arg(1) == "off")) {
    bool on = arg(1) == "on";
    if (cmd == "drain") {
      m.setDrain(on);
    } else {
      m.setOutput(on);
    }
    return "OK " + cmd + " " + arg(1);
  }
  if (cmd == "cable" && w.size() == 2) {
    if (arg(1) == "pull") {
      ups_.setCablePulled(true);
      return "OK cable pulled";
    }
    if (arg(1) == "plug") {
      ups_.setCablePulled(false);
      return "OK cable plugged";
    }
    return "ERR cable pull|plug";
  }
  if (cmd == "model" && w.size() == 2) {
    if (ups_.changeModel(arg(1)) != RC_OK)
      return "ERR no " + std::string(upsKindName(ups_.kind())) + " model " + arg(1);
    return "OK model " + arg(1);
  }
  if (cmd == "models" && w.size() == 1) {
    std::string s = "OK";
    for (const std::string& n : upsProfileNames(ups_.kind())) s += " " + n;
    return s;
  }
  if (cmd == "fault" && w.size() == 3 && arg(1) == "dsr-follows-dtr" &&
      (arg(2) == "on" || arg(2) == "off")) {
    ContactResponder* contact = ups_.contact();
    if (!contact) return "ERR only a contact-closure UPS has that fault";
    contact->setDsrFollowsDtr(arg(2) == "on");
    return "OK fault dsr-follows-dtr " + arg(2);
  }
  if (cmd == "fault" && w.size() == 3 && arg(1) == "garble" &&
      (arg(2) == "on" || arg(2) == "off")) {
    ups_.setGarbled(arg(2) == "on");
    return "OK fault garble " + arg(2);
  }
  if (cmd == "received" && w.size() <= 2) {
    std::vector<std::string> entries = ups_.log().entries();
    size_t first = 0;
    if (w.size() == 2) {
      if (!parseNumber(arg(1), &number) || number < 1 || number != static_cast<long>(number)) {
        return "ERR received [<count>]";
      }
      auto count = static_cast<size_t>(number);
      if (count < entries.size()) first = entries.size() - count;
    }
    std::string s = "OK " + std::to_string(entries.size() - first);
    for (size_t i = first; i < entries.size(); ++i) s += " " + entries[i];
    return s;
  }
  if (cmd == "clear" && w.size() == 1) {
    ups_.log().clear();
    return "OK cleared";
  }
  return "ERR unknown command: " + CommandLog::escapeBytes(line) + " (try help)";
}

}  // namespace gw
