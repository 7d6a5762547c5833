// The service object: owns every part of the monitoring service and runs the main loop.
//
// Construction builds, in order, the settings ("policy"), the log store, the schedule
// ("schedule") and the policy engine ("protect"). The run starts the driver, the client server
// and the loop. saveSettings() writes the files back; destruction only releases the members,
// in the reverse order of their declaration.
//
// A shutdown request ends the loop and runs the shutdown sequence with the environment's closer
// and system power; detected events go to the environment's local notifier.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/power.h"
#include "platform/sound.h"
#include "platform/system_log.h"
#include "service/config/config_store.h"
#include "service/config/notice_handler.h"
#include "service/config/notice_id_counter.h"
#include "service/core/append_failure_report.h"
#include "service/core/main_loop.h"
#include "service/core/service_adapters.h"
#include "service/core/service_program.h"
#include "service/driverlink/driver_link.h"
#include "service/driverlink/status_poller.h"
#include "service/driverlink/status_snapshot.h"
#include "service/logs/log_store.h"
#include "service/logs/status_recorder.h"
#include "service/notify/local_notifier.h"
#include "service/policy/alarm_keeper.h"
#include "service/policy/command_runner.h"
#include "service/policy/engine_host.h"
#include "service/policy/event_detector.h"
#include "service/policy/policy_actions.h"
#include "service/policy/policy_engine.h"
#include "service/schedule/schedule.h"
#include "service/server/client_server.h"
#include "service/shutdown/application_closer.h"
#include "service/shutdown/shutdown_sequence.h"

namespace gw {

struct ServiceEnvironment {
  Clock* clock = nullptr;   // required; outlives the service
  std::string data_dir;     // the directory of the executable: settings, logs, sibling programs
  std::string driver_path;  // empty: "porter" in data_dir
  uint16_t client_port = kDefaultClientPort;  // 0: the system chooses
  std::unique_ptr<SoundPlayer> sound;           // null: nothing plays
  std::unique_ptr<CommandRunner> commands;      // null: /bin/sh and wall(1)
  std::unique_ptr<ApplicationCloser> closer;    // null: the "sweeper" program in data_dir, run
                                                // in the user's graphical session
  std::string closer_display;  // set: that session is our own account on this display
  SystemLog* log = nullptr;    // required unless `closer` is given; outlives the service
  std::unique_ptr<SystemPower> power;           // null: the system is never shut down (a line on
                                                // standard error says so)
  std::unique_ptr<LocalNotifier> notifier;      // null: notifications go nowhere
};

class ServiceCore : public ServiceBody,
                    public NoticeHandler,
                    public EngineHost,
                    public ScheduleHost,
                    private LoopSteps {
 public:
  explicit ServiceCore(ServiceEnvironment env);
  ~ServiceCore() override;

  // Reports, through `errors`, the lines each settings file refused, the driver or client port
  // that could not be had (the run then ends at once and returns false), and the first record
  // of a run of log records that could not be written.
  bool run(ErrorReporter& errors) override;
  void watchStop(const PollableSocket* wake) override { stop_wake_ = wake; }
  std::atomic<bool>& stopFlag() override { return stop_requested_; }
  // Writes "access" and "user" (only when the client server was started, which loaded them),
  // "schedule", "protect" and "policy", in that order; a file that cannot be written is
  // reported by its path and the write's code, and the others are still written.
  void saveSettings(ErrorReporter& errors) override;

  // Called synchronously when a watched setting or policy key is set.
  void onNotice(uint32_t id) override;

  // EngineHost and ScheduleHost: the shutdown request is never withdrawn or lowered to "none".
  void requestShutdown(int32_t restart_delay) override;
  void startSelfTest(int32_t seconds) override;
  void notify(int message_id) override { env_.notifier->notify(message_id); }

  int32_t shutdownRequest() const { return shutdown_request_.load(); }
  const StatusSnapshot& status() const;
  ConfigStore& settings() { return *settings_; }
  PolicyEngine& policy() { return *policy_; }
  // The client server's port once the run has started it; 0 before.
  uint16_t clientPort() const { return server_ ? server_->port() : 0; }

 private:
  void pollAndDetect(uint32_t& timeout_ms) override;
  void recordStatus(uint32_t& timeout_ms) override;
  void policyTick(uint32_t& timeout_ms) override;
  bool shutdownRequested() const override { return shutdown_request_.load() >= 0; }
  void scheduleTick(uint32_t& timeout_ms) override;
  void serveClients(uint32_t timeout_ms) override;

  RecordingSettings recordingSettings() const;
  [[nodiscard]] bool startDriver(ErrorReporter& errors);
  [[nodiscard]] bool startServer(ErrorReporter& errors);
  void reportLoad(ErrorReporter& errors, const LoadReport& report) const;

  ServiceEnvironment env_;
  StatusSnapshot empty_status_;
  std::atomic<bool> stop_requested_{false};
  // -1 none; 0 shut down; > 0 shut down and restart the UPS output after that many seconds.
  std::atomic<int32_t> shutdown_request_{-1};
  const PollableSocket* stop_wake_ = nullptr;
  uint32_t media_type_key_id_ = 0;
  uint32_t shutdown_max_count_key_id_ = 0;

  NoticeIdCounter notice_ids_;
  AppendFailureReport lost_records_;
  // Built by the run, but declared first so that it goes last: every part below may still
  // reach the device while it is being destroyed.
  std::unique_ptr<DriverLink> driver_;
  std::unique_ptr<ConfigStore> settings_;
  std::unique_ptr<LogStore> logs_;
  std::unique_ptr<StatusRecorder> recorder_;
  std::unique_ptr<Schedule> schedule_;
  std::unique_ptr<PolicyActions> actions_;
  std::unique_ptr<PolicyEngine> policy_;
  std::unique_ptr<ShutdownSequence> shutdown_;

  // Built by the run.
  std::unique_ptr<StatusPoller> poller_;
  std::unique_ptr<EventDetector> detector_;
  std::unique_ptr<AlarmKeeper> alarm_;
  std::unique_ptr<ConfigStoreSettings> settings_adapter_;
  std::unique_ptr<PolicySettings> policy_adapter_;
  std::unique_ptr<PolicyEngineEventTimes> event_times_;
  std::unique_ptr<LogStorePages> log_pages_;
  std::unique_ptr<ScheduleListItems> schedule_items_;
  std::unique_ptr<ClientServer> server_;
};

}  // namespace gw
