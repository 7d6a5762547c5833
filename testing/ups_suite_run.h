// The suite as installed, for cross-process runs: the UPS simulator on a pseudo-terminal or its
// USB HID link, and monsvc with porter (and the USB bridge) copied into a temporary data
// directory, with recording stand-ins for the sound player, the application closer and the
// system shutdown. Every process started here is ended here, by its own handle.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/line_file.h"
#include "platform/process.h"
#include "testing/free_port.h"
#include "testing/pipe_line.h"
#include "testing/temp_dir.h"

namespace gw {

class UpsSuiteRun {
 public:
  // The binary protocol's "output off after 120 s, no restart", as the simulator logs it.
  static constexpr const char* kShutdownBytes = "S\\x03\\x94W\\x0d";

  UpsSuiteRun() = default;
  UpsSuiteRun(const UpsSuiteRun&) = delete;
  UpsSuiteRun& operator=(const UpsSuiteRun&) = delete;
  ~UpsSuiteRun() {
    end(service_);
    end(simulator_);
  }

  // Starts upssim as a binary-protocol UPS that logs what it receives to "ups.log"; with `hid`
  // on its USB HID link, which the service then reaches as media type 3. `extra` arguments
  // follow (a later --kind or --model wins). Fills *error and returns false when it cannot.
  bool startSimulator(std::string* error, bool hid = false,
                      const std::vector<std::string>& extra = {}) {
    const char* bin = std::getenv("GW_BIN_DIR");
    SpawnOptions options;
    options.program = std::string(bin ? bin : ".") + "/upssim";
    options.args = {"--kind", "binary", "--log", dir.file("ups.log")};
    if (hid) {
      options.args.insert(options.args.end(), {"--link", "hid", "--cable", dir.file("ups.hid")});
    }
    options.args.insert(options.args.end(), extra.begin(), extra.end());
    options.pipe_stdin = true;
    options.pipe_stdout = true;
    if (spawnProcess(options, &simulator_) != RC_OK) {
      *error = "upssim could not be started from " + options.program;
      return false;
    }
    sim_in_ = simulator_->takeStdin();
    sim_out_ = simulator_->takeStdout();
    std::string where = readSimulatorLine(10000);
    hid_ = hid;
    const std::string prefix = hid ? "GRIDWATCH_HID=" : "GRIDWATCH_COM1=";
    if (where.rfind(prefix, 0) != 0) {
      *error = "upssim said \"" + where + "\" instead of its device path";
      return false;
    }
    device_path_ = where.substr(prefix.size());
    return true;
  }

  // Sends one control command and returns the reply line.
  std::string simulator(const std::string& command) {
    if (!sim_in_ || sim_in_->write((command + "\n").data(), command.size() + 1) != RC_OK) {
      return "(not running)";
    }
    return readSimulatorLine(5000);
  }

  // Lays out the data directory (monsvc, porter, the closer stand-in, the sound files, the given
  // "protect" lines, a "policy" that points at COM1) and starts monsvc in it. The stand-ins for
  // the sound player, the closer and the system shutdown append a line each to "order"; the
  // closer and the shutdown note whether the UPS had received kShutdownBytes ("ups=1") or not.
  bool startService(const std::string& protect, std::string* error) {
    if (!dir.copyProgram("monsvc") || !dir.copyProgram("porter")) {
      *error = "monsvc or porter is not built";
      return false;
    }
    if (record_driver_pids) {
      // The driver as porter.bin behind a script that notes each start's process id; exec
      // keeps the id, and porter still finds its neighbours in the same directory.
      std::filesystem::rename(dir.file("porter"), dir.file("porter.bin"));
      dir.writeScript("porter", "echo $$ >> '" + dir.file("driver.pids") + "'\nexec '" +
                                    dir.file("porter.bin") + "' \"$@\"\n");
    }
    if (hid_ && !dir.copyProgram("libpmx.so")) {
      *error = "libpmx.so is not built";
      return false;
    }
    dir.write("policy", std::string("service.media type=") + (hid_ ? "3" : "2") +
                            "\nservice.media index=1\n" + extra_policy);
    // Sound files must exist to be played; the recording player never reads them.
    for (const char* sound : {"hello.wav", "pfail.wav", "lbat.wav", "oload.wav", "otemp.wav"}) {
      dir.write(sound, "RIFF");
    }
    dir.write("protect", protect);
    const std::string order = dir.file("order");
    const std::string ups_log = dir.file("ups.log");
    const std::string seen =
        "$(grep -cF '" + std::string(kShutdownBytes) + "' '" + ups_log + "' 2>/dev/null)";
    dir.writeScript("sound.sh", "f=\"$1\"; echo \"sound ${f##*/}\" >> '" + order + "'\n");
    std::string closer = "echo \"sweeper ups=" + seen + "\" >> '" + order + "'\n";
    if (!closer_program.empty()) {
      closer += "'" + closer_program + "' \"$@\"\necho \"sweeper done ups=" + seen + "\" >> '" +
                order + "'\n";
    }
    dir.writeScript("sweeper", closer);
    dir.writeScript("shutdown.sh", "echo \"shutdown ups=" + seen + "\" >> '" + order + "'\n");

    SpawnOptions options;
    options.program = dir.file("monsvc");
    if (!stderr_file.empty()) {
      // Through a shell that execs it, so that the process is still monsvc's own.
      options.program = "/bin/sh";
      options.args = {"-c", "exec \"$0\" 2>>\"$1\"", dir.file("monsvc"), dir.file(stderr_file)};
    }
    // Ending monsvc's group also ends the porter and the scripts it started.
    options.new_process_group = true;
    options.extra_env[hid_ ? "GRIDWATCH_HID" : "GRIDWATCH_COM1"] = device_path_;
    for (int n = hid_ ? 1 : 2; n <= 9; ++n) {
      options.extra_env["GRIDWATCH_COM" + std::to_string(n)] = dir.file("no-port");
    }
    port_ = freeLoopbackPort();
    options.extra_env["GRIDWATCH_PORT"] = std::to_string(port_);
    options.extra_env["GRIDWATCH_SOUND_COMMAND"] = dir.file("sound.sh");
    options.extra_env["GRIDWATCH_SHUTDOWN_COMMAND"] = dir.file("shutdown.sh");
    // The closer runs as ourselves on this display rather than in a login manager's session,
    // which a test machine may not have.
    options.extra_env["GRIDWATCH_CLOSER_DISPLAY"] = closer_display;
    if (spawnProcess(options, &service_) != RC_OK) {
      *error = "monsvc could not be started";
      return false;
    }
    return true;
  }

  // Asks monsvc to stop and waits for it; true when it ended by itself within timeout_ms.
  bool stopService(int timeout_ms) {
    if (!service_) return false;
    service_->requestStop();
    return waitForServiceExit(timeout_ms);
  }
  bool waitForServiceExit(int timeout_ms) {
    int code = 0;
    return service_ && service_->wait(timeout_ms, &code) == RC_OK;
  }
  bool serviceRunning() { return service_ && service_->running(); }
  // monsvc's process id; 0 before it was started.
  int64_t serviceId() const { return service_ ? service_->id() : 0; }
  // With record_driver_pids: the process id of every porter started so far, in order.
  std::vector<int64_t> driverIds() const {
    std::vector<int64_t> ids;
    for (const std::string& line : splitLines(dir.read("driver.pids"))) {
      ids.push_back(parseLeadingInt(line));
    }
    return ids;
  }
  // Where the simulator said porter should point (empty for a kernel HID device).
  const std::string& devicePath() const { return device_path_; }
  // The client port the service was started with.
  uint16_t port() const { return port_; }

  // Polls `done` every 50 ms until it holds or timeout_ms passed.
  static bool waitUntil(const std::function<bool()>& done, int timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
  }

  // Lines of a file in the data directory, without carriage returns.
  std::vector<std::string> lines(const std::string& name) const {
    std::vector<std::string> out;
    for (std::string line : splitLines(dir.read(name))) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      out.push_back(line);
    }
    return out;
  }
  // Event records with the given three-digit code.
  std::vector<std::string> events(const std::string& code) const {
    std::vector<std::string> out;
    for (const std::string& r : lines("event")) {
      if (r.size() > 4 && r.compare(r.size() - 4, 4, " " + code) == 0) out.push_back(r);
    }
    return out;
  }

  TempDir dir;
  // The display the service's closer runs on; the stand-in closer ignores it.
  std::string closer_display = ":gridwatch-test";
  // Set: the stand-in runs this program with its own arguments, and notes "sweeper done" after.
  std::string closer_program;
  // More "policy" lines, after the media selection.
  std::string extra_policy;
  // Set before startService: driverIds() tells the driver processes apart.
  bool record_driver_pids = false;
  // Set before startService: monsvc's standard error is appended to this file of the directory.
  std::string stderr_file;

 private:
  std::string readSimulatorLine(int timeout_ms) {
    std::string line;
    if (sim_out_ && readPipeLine(*sim_out_, &sim_pending_, timeout_ms, &line)) return line;
    return sim_pending_;
  }

  static void end(std::unique_ptr<ChildProcess>& child) {
    if (child && child->running()) child->terminate();
    child.reset();
  }

  std::unique_ptr<ChildProcess> simulator_;
  std::unique_ptr<Pipe> sim_in_;
  std::unique_ptr<Pipe> sim_out_;
  std::string sim_pending_;
  std::string device_path_;
  bool hid_ = false;
  std::unique_ptr<ChildProcess> service_;
  uint16_t port_ = 0;
};

}  // namespace gw
