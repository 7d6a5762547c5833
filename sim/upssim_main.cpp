// upssim: a simulated UPS on a pseudo-terminal, a virtual serial cable or a USB HID link,
// controlled from its terminal or a control socket.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hidbridge/ups_usb_ids.h"
#include "platform/clock.h"
#include "platform/posix/hid_uhid_device.h"
#include "platform/process.h"
#include "sim/cable_server.h"
#include "sim/control_server.h"
#include "sim/hid_socket_server.h"
#include "sim/pty_endpoint.h"
#include "sim/sim_controller.h"
#include "sim/sim_ups.h"

namespace {

volatile sig_atomic_t g_stop = 0;

void onSignal(int) { g_stop = 1; }

const char kUsage[] =
    "usage: upssim [--kind binary|text|contact] [--model NAME] [--link pty|cable|hid]\n"
    "              [--cable PATH] [--control PATH] [--log PATH] [--com N]\n"
    "\n"
    "Simulates one UPS. The first line on standard output tells where porter should point,\n"
    "e.g. \"GRIDWATCH_COM1=/dev/pts/7\"; then the simulator runs until \"quit\", SIGTERM or\n"
    "SIGINT.\n"
    "\n"
    "  --kind     protocol: binary (1200 baud), text (2400 baud) or contact (closure on the\n"
    "             control lines); default binary\n"
    "  --model    model name (\"models\" on the control channel lists them); default per kind\n"
    "  --link     pty: a pseudo-terminal (data only; default for binary and text);\n"
    "             cable: a virtual serial cable, a Unix socket carrying data and control\n"
    "             lines (default, and required, for contact);\n"
    "             hid: a USB HID UPS (binary or text), a kernel device through /dev/uhid\n"
    "             when it can be opened, else a simulated one on a Unix socket; the first\n"
    "             line is then \"GRIDWATCH_HID=<socket>\" (empty for the kernel device)\n"
    "  --cable    socket path of the cable or the HID device (default\n"
    "             /tmp/upssim-<pid>.cable or .hid)\n"
    "  --control  also accept control commands on this Unix socket, one per line, one reply\n"
    "             line each\n"
    "  --log      append every received command to this file, hex-escaped, with a timestamp\n"
    "  --com      the COM number in the first line (default 1)\n"
    "\n"
    "Control commands (terminal or socket): type \"help\".\n";

struct Options {
  gw::UpsKind kind = gw::UpsKind::kBinary;
  std::string model;
  std::string link;
  std::string cable;
  std::string control;
  std::string log;
  int com = 1;
};

bool parseKind(const std::string& v, Options* o, std::string* error) {
  if (gw::parseUpsKind(v, &o->kind)) return true;
  *error = "unknown kind " + v;
  return false;
}

bool parseLink(const std::string& v, Options* o, std::string* error) {
  if (v != "pty" && v != "cable" && v != "hid") {
    *error = "unknown link " + v;
    return false;
  }
  o->link = v;
  return true;
}

bool parseCom(const std::string& v, Options* o, std::string* error) {
  o->com = std::atoi(v.c_str());
  if (o->com >= 1 && o->com <= 99) return true;
  *error = "bad COM number " + v;
  return false;
}

// Every option takes a value: a text kept as given, or one that `parse` checks and stores.
struct OptionRow {
  std::string_view name;
  std::string Options::*text;
  bool (*parse)(const std::string& value, Options* o, std::string* error);
};

const OptionRow kOptions[] = {
    {"--kind", nullptr, &parseKind},
    {"--model", &Options::model, nullptr},
    {"--link", nullptr, &parseLink},
    {"--cable", &Options::cable, nullptr},
    {"--control", &Options::control, nullptr},
    {"--log", &Options::log, nullptr},
    {"--com", nullptr, &parseCom},
};

bool parseOptions(int argc, char** argv, Options* o, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    }
    if (i + 1 >= argc) {
      *error = "missing value after " + a;
      return false;
    }
    std::string v = argv[++i];
    const OptionRow* row = nullptr;
    for (const OptionRow& candidate : kOptions) {
      if (candidate.name == a) row = &candidate;
    }
    if (row == nullptr) {
      *error = "unknown option " + a;
      return false;
    }
    if (row->text != nullptr) {
      o->*row->text = v;
    } else if (!row->parse(v, o, error)) {
      return false;
    }
  }
  if (o->link.empty()) o->link = o->kind == gw::UpsKind::kContact ? "cable" : "pty";
  if (o->kind == gw::UpsKind::kContact && o->link == "pty") {
    *error = "a contact-closure UPS needs --link cable (a pseudo-terminal has no control lines)";
    return false;
  }
  if (o->kind == gw::UpsKind::kContact && o->link == "hid") {
    *error = "a contact-closure UPS has no USB interface; --link hid carries binary or text";
    return false;
  }
  if (o->link != "pty" && o->cable.empty()) {
    o->cable = "/tmp/upssim-" + std::to_string(::getpid()) + "." + o->link;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!parseOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "upssim: %s\n%s", error.c_str(), kUsage);
    return 2;
  }

  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  ::sigaction(SIGTERM, &sa, nullptr);
  ::sigaction(SIGINT, &sa, nullptr);
  gw::ignoreBrokenPipes();

  gw::Clock& clock = gw::systemClock();
  std::unique_ptr<gw::SimUps> ups;
  if (gw::SimUps::create(clock, options.kind, options.model, &ups) != RC_OK) {
    std::fprintf(stderr, "upssim: no %s model named %s\n",
                 std::string(gw::upsKindName(options.kind)).c_str(), options.model.c_str());
    return 2;
  }
  if (!options.log.empty() && ups->log().openFile(options.log) != RC_OK) {
    std::fprintf(stderr, "upssim: cannot open log %s\n", options.log.c_str());
    return 2;
  }

  std::unique_ptr<gw::PtyEndpoint> pty;
  std::unique_ptr<gw::CableServer> cable;
  std::unique_ptr<gw::SimHidUps> hid;
  std::unique_ptr<gw::posix::UhidDevice> uhid;
  std::unique_ptr<gw::HidSocketServer> hid_socket;
  std::string device;
  std::string where_name = "GRIDWATCH_COM" + std::to_string(options.com);
  if (options.link == "hid") {
    hid = std::make_unique<gw::SimHidUps>(*ups, gw::UPS_USB_VENDOR_ID, gw::UPS_USB_PRODUCT_ID);
    where_name = gw::kHidSimulatorVariable;
    // A kernel device where the machine allows one; porter then finds it like a real UPS.
    if (gw::posix::UhidDevice::create(*hid, "upssim UPS", &uhid) != RC_OK) {
      if (gw::HidSocketServer::create(*hid, options.cable, &hid_socket) != RC_OK) {
        std::fprintf(stderr, "upssim: cannot listen at %s\n", options.cable.c_str());
        return 1;
      }
      device = hid_socket->path();
    }
  } else if (options.link == "pty") {
    if (gw::PtyEndpoint::create(*ups, &pty) != RC_OK) {
      std::fprintf(stderr, "upssim: no pseudo-terminal available\n");
      return 1;
    }
    device = pty->devicePath();
  } else {
    if (gw::CableServer::create(*ups, options.cable, &cable) != RC_OK) {
      std::fprintf(stderr, "upssim: cannot listen at %s\n", options.cable.c_str());
      return 1;
    }
    device = cable->path();
  }
  std::string where = where_name + "=" + device;

  gw::SimController controller(*ups);
  bool quit = false;
  auto handle = [&](const std::string& line) -> std::string {
    std::string l = line;
    if (!l.empty() && l.back() == '\r') l.pop_back();
    if (l == "quit") {
      quit = true;
      return "OK bye";
    }
    if (l == "where") return "OK " + where;
    return controller.execute(l);
  };

  std::unique_ptr<gw::ControlServer> control;
  if (!options.control.empty() &&
      gw::ControlServer::create(options.control, handle, &control) != RC_OK) {
    std::fprintf(stderr, "upssim: cannot listen at %s\n", options.control.c_str());
    return 1;
  }

  // The first line is the contract with whoever started us: flushed before anything else.
  std::printf("%s\n", where.c_str());
  std::fflush(stdout);

  bool stdin_open = true;
  std::string stdin_line;
  std::vector<pollfd> fds;
  while (!quit && !g_stop) {
    fds.clear();
    if (stdin_open) fds.push_back({STDIN_FILENO, POLLIN, 0});
    if (pty) fds.push_back({pty->pollFd(), POLLIN, 0});
    if (cable) {
      fds.push_back({cable->listenFd(), POLLIN, 0});
      if (cable->connectionFd() >= 0) fds.push_back({cable->connectionFd(), POLLIN, 0});
    }
    if (uhid) fds.push_back({uhid->pollFd(), POLLIN, 0});
    if (hid_socket) hid_socket->addPollFds(&fds);
    if (control) control->addPollFds(&fds);
    // The model's timers are brought up to date whenever it is asked, so a pty needs no
    // timed passes; the cable must notice by itself when a line changes (the battery running
    // low, the kill hold on DTR) and tell the port, so it looks often; so must the HID link,
    // which also sees the USB cable pulled.
    int r = ::poll(fds.data(), fds.size(), pty ? 1000 : 50);
    if (r < 0 && errno != EINTR) break;
    if (r > 0) {
      for (const pollfd& p : fds) {
        if (p.revents == 0) continue;
        if (p.fd == STDIN_FILENO) {
          char buf[512];
          ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
          if (n <= 0) {
            stdin_open = false;  // no terminal: the control socket and signals remain
            continue;
          }
          stdin_line.append(buf, static_cast<size_t>(n));
          size_t nl;
          while ((nl = stdin_line.find('\n')) != std::string::npos) {
            std::string reply = handle(stdin_line.substr(0, nl));
            stdin_line.erase(0, nl + 1);
            std::printf("%s\n", reply.c_str());
            std::fflush(stdout);
          }
        } else if (pty && p.fd == pty->pollFd()) {
          pty->onReadable();
        } else if (cable && p.fd == cable->listenFd()) {
          cable->onListenReadable();
        } else if (cable && p.fd == cable->connectionFd()) {
          cable->onConnectionReadable();
        } else if (uhid && p.fd == uhid->pollFd()) {
          uhid->onReadable();
        }
      }
      if (hid_socket) hid_socket->handle(fds);
      if (control) control->handle(fds);
    }
    if (pty) pty->tick();
    if (cable) cable->tick();
    if (uhid) uhid->tick();
    if (hid_socket) hid_socket->tick();
  }
  return 0;
}
