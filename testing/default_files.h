// The settings files a fresh service writes, stated once for every test that checks them: the
// 24 settings of "policy" and the 378 keys of "protect", written out from the documented
// defaults rather than taken from the code under test.
#pragma once

#include <string>
#include <vector>

namespace gw {

// "policy": every key in table order with its default, byte for byte.
inline constexpr char kDefaultPolicyFile[] =
    "service.buzzer on=1\n"
    "service.media type=1\n"
    "service.media index=0\n"
    "service.load max=10000\n"
    "service.temp max=70\n"
    "service.polling rate=3000\n"
    "service.record rate=600\n"
    "service.max event=1000\n"
    "service.max status=1000\n"
    "email.server=localhost\n"
    "email.subject=ups service notification\n"
    "email.source addr=ups@localhost\n"
    "email.target addr=root@localhost\n"
    "telephone.pager number=123456789\n"
    "telephone.phone number=12345678\n"
    "sms.server=localhost\n"
    "sms.source number=1\n"
    "sms.target number=2\n"
    "sms.account=id\n"
    "sms.password=password\n"
    "service.auto save=1\n"
    "service.shutdown delay=120\n"
    "service.rec by period=1\n"
    "service.rec by trigger=0\n";

// "protect": every line whose value is not 0 or empty, in file order.
inline const std::vector<std::string> kNonZeroProtectDefaults = {
    "start.record.happen.max count=1",
    "start.record.happen.content=UPS service started.",
    "start.record.restore.max count=1",
    "start.record.restore.content=UPS service terminated.",
    "start.sound.happen.max count=1",
    "start.sound.happen.content=hello.wav",
    "start.sound.restore.max count=1",
    "disconnect.record.happen.max count=1",
    "disconnect.record.happen.content=UPS communication can't establish.",
    "disconnect.record.restore.max count=1",
    "disconnect.record.restore.content=UPS communication established.",
    "disconnect.sound.happen.max count=1",
    "disconnect.sound.restore.max count=1",
    "powerfail.record.happen.max count=1",
    "powerfail.record.happen.content=UPS power failure.",
    "powerfail.record.restore.max count=1",
    "powerfail.record.restore.content=UPS power restore.",
    "powerfail.sound.happen.max count=4294967295",
    "powerfail.sound.happen.delay=10",
    "powerfail.sound.happen.interval=20",
    "powerfail.sound.happen.content=pfail.wav",
    "powerfail.sound.restore.max count=1",
    "powerfail.shutdown.happen.max count=1",
    "powerfail.shutdown.happen.delay=30",
    "batterylow.record.happen.max count=1",
    "batterylow.record.happen.content=UPS battery capacity low.",
    "batterylow.record.restore.max count=1",
    "batterylow.record.restore.content=UPS battery capacity recover.",
    "batterylow.sound.happen.max count=1",
    "batterylow.sound.happen.content=lbat.wav",
    "batterylow.sound.restore.max count=1",
    "batterylow.shutdown.happen.max count=1",
    "batterylow.shutdown.happen.delay=10",
    "loadover.record.happen.max count=1",
    "loadover.record.happen.content=UPS over load.",
    "loadover.record.restore.max count=1",
    "loadover.record.restore.content=UPS load recover.",
    "loadover.sound.happen.max count=1",
    "loadover.sound.happen.content=oload.wav",
    "loadover.sound.restore.max count=1",
    "tempover.record.happen.max count=1",
    "tempover.record.happen.content=UPS temperature is too high.",
    "tempover.record.restore.max count=1",
    "tempover.record.restore.content=UPS temperature is recover.",
    "tempover.sound.happen.max count=1",
    "tempover.sound.happen.content=otemp.wav",
    "tempover.sound.restore.max count=1",
};

// The 378 "protect" keys in file order, built from the names alone.
inline std::vector<std::string> protectKeys() {
  std::vector<std::string> keys;
  for (const char* event : {"start", "disconnect", "powerfail", "batterylow", "loadover", "tempover"}) {
    for (const char* action : {"record", "broadcast", "sound", "command", "email", "pager", "phone",
                               "shutdown", "sms"}) {
      std::string base = std::string(event) + "." + action + ".";
      for (const char* p : {"max count", "delay", "interval", "content"}) {
        keys.push_back(base + "happen." + p);
      }
      for (const char* p : {"max count", "delay", "content"}) keys.push_back(base + "restore." + p);
    }
  }
  return keys;
}

// The whole "protect" file a fresh service writes.
inline std::string defaultProtectFile() {
  std::string text;
  size_t next = 0;
  for (const std::string& key : protectKeys()) {
    const std::string prefix = key + "=";
    if (next < kNonZeroProtectDefaults.size() &&
        kNonZeroProtectDefaults[next].compare(0, prefix.size(), prefix) == 0) {
      text += kNonZeroProtectDefaults[next++] + "\n";
    } else {
      text += prefix + (key.ends_with(".content") ? "" : "0") + "\n";
    }
  }
  return text;
}

}  // namespace gw
