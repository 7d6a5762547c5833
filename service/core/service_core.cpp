// The service object's construction order, run and main-loop steps.
#include "service/core/service_core.h"

#include <algorithm>

#include "platform/file_system.h"
#include "service/shutdown/program_closer.h"

namespace gw {

ServiceCore::ServiceCore(ServiceEnvironment env) : env_(std::move(env)) {
  if (!env_.sound) {
    SoundOptions silent;  // no command and no search path: no player is found
    silent.program_dir = env_.data_dir;
    env_.sound = createSoundPlayer(silent);
  }
  if (!env_.commands) env_.commands = createShellCommandRunner();
  if (!env_.power) env_.power = createSystemPower(std::nullopt, nullptr);
  if (!env_.notifier) env_.notifier = createSilentNotifier();
  Clock& clock = *env_.clock;
  settings_ = std::make_unique<ConfigStore>(env_.data_dir, notice_ids_, this);
  logs_ = std::make_unique<LogStore>(env_.data_dir, &lost_records_);
  if (!env_.closer) {
    env_.closer = std::make_unique<ProgramCloser>(
        env_.data_dir, logs_->file(LOG_SAVED)->path(), clock,
        ProgramCloser::sessionFinder(env_.closer_display), *env_.log);
  }
  recorder_ = std::make_unique<StatusRecorder>(*logs_, clock);
  schedule_ = std::make_unique<Schedule>(env_.data_dir, clock);
  actions_ = std::make_unique<PolicyActions>(*logs_, *env_.sound, *this, *env_.commands);
  policy_ = std::make_unique<PolicyEngine>(clock, *actions_, env_.data_dir, notice_ids_, this);
  shutdown_ = std::make_unique<ShutdownSequence>(*env_.closer, *env_.power);
  empty_status_.clear();
}

ServiceCore::~ServiceCore() = default;

void ServiceCore::saveSettings(ErrorReporter& errors) {
  auto save = [&](std::string_view name, ResultCode rc) {
    if (rc != RC_OK) errors.report(settings_->dataFile(name), rc);
  };
  if (server_) {
    save(AccessControl::kAccessFileName, server_->access().saveAccess());
    save(AccessControl::kUserFileName, server_->access().saveUsers());
  }
  save(Schedule::kFileName, schedule_->save());
  save(PolicyTable::kFileName, policy_->save());
  save(ConfigStore::kFileName, settings_->save());
}

const StatusSnapshot& ServiceCore::status() const {
  return poller_ ? poller_->current() : empty_status_;
}

bool ServiceCore::run(ErrorReporter& errors) {
  lost_records_.attach(&errors);
  reportLoad(errors, settings_->loadReport());
  reportLoad(errors, schedule_->loadReport());
  reportLoad(errors, policy_->loadReport());
  policy_->happen(EVENT_START);
  if (!startDriver(errors)) return false;
  if (!startServer(errors)) {
    driver_.reset();
    return false;
  }
  reportLoad(errors, server_->access().accessReport());
  reportLoad(errors, server_->access().userReport());
  env_.notifier->start(stop_requested_);
  media_type_key_id_ = settings_->watch("service.media type");
  shutdown_max_count_key_id_ = policy_->watch(PolicyEngine::kRetimeKey);

  MainLoop loop(*this, stop_requested_);
  (void)loop.run();  // the shutdown request is read back below

  int32_t request = shutdown_request_.load();
  if (request >= 0) {
    ShutdownSettings shutdown;
    shutdown.auto_save = settings_->autoSave();
    shutdown.shutdown_delay_s = settings_->shutdownDelay();
    shutdown_->run(request, shutdown, driver_->device());
  }
  // One last policy pass, so that the end of protection is on record.
  policy_->finalPass();
  alarm_.reset();
  detector_.reset();
  poller_.reset();
  driver_.reset();
  return true;
}

void ServiceCore::reportLoad(ErrorReporter& errors, const LoadReport& report) const {
  if (!report.clean()) errors.report(report.text(), RC_BAD_VALUE);
}

bool ServiceCore::startDriver(ErrorReporter& errors) {
  DriverLinkOptions options;
  options.program = env_.driver_path.empty() ? joinPath(env_.data_dir, "porter") : env_.driver_path;
  options.media_type = settings_->mediaType();
  options.media_index = settings_->mediaIndex();
  ResultCode rc = DriverLink::create(*env_.clock, options, &driver_);
  if (rc != RC_OK) {
    errors.report("starting the driver " + options.program, rc);
    return false;
  }
  poller_ = std::make_unique<StatusPoller>(*env_.clock, driver_->device(), driver_.get());
  detector_ = std::make_unique<EventDetector>(*policy_, *this, *settings_, recorder_.get());
  alarm_ = std::make_unique<AlarmKeeper>(*settings_, driver_->device());
  return true;
}

bool ServiceCore::startServer(ErrorReporter& errors) {
  settings_adapter_ = std::make_unique<ConfigStoreSettings>(*settings_);
  policy_adapter_ = std::make_unique<PolicySettings>(policy_->table(), policy_->protectPath());
  event_times_ = std::make_unique<PolicyEngineEventTimes>(*policy_);
  log_pages_ = std::make_unique<LogStorePages>(*logs_);
  schedule_items_ = std::make_unique<ScheduleListItems>(*schedule_);
  ClientServerContext context{*env_.clock,      driver_->device(), *settings_adapter_,
                              *policy_adapter_, *event_times_,      *log_pages_,
                              *schedule_items_, env_.data_dir};
  context.port = env_.client_port;
  context.log = env_.log;
  context.stop_wake = stop_wake_;
  ResultCode rc = ClientServer::create(std::move(context), &server_);
  if (rc != RC_OK) {
    errors.report("listening for clients on TCP port " + std::to_string(env_.client_port), rc);
    return false;
  }
  return true;
}

void ServiceCore::onNotice(uint32_t id) {
  if (id == 0) return;
  if (id == media_type_key_id_) {
    if (driver_) driver_->changeMedia(settings_->mediaType(), settings_->mediaIndex());
  } else if (id == shutdown_max_count_key_id_) {
    policy_->retimeShutdown();
  }
}

void ServiceCore::requestShutdown(int32_t restart_delay) {
  shutdown_request_.store(std::max<int32_t>(restart_delay, 0));
}

void ServiceCore::startSelfTest(int32_t seconds) {
  if (driver_) (void)driver_->device().selfTest(seconds);  // the UPS's answer changes nothing here
}

RecordingSettings ServiceCore::recordingSettings() const {
  RecordingSettings r;
  r.record_rate_s = settings_->recordRate();
  r.rec_by_period = settings_->recByPeriod();
  r.rec_by_trigger = settings_->recByTrigger();
  return r;
}

void ServiceCore::pollAndDetect(uint32_t& timeout_ms) {
  if (!poller_) return;
  if (poller_->poll(timeout_ms, settings_->pollingRate())) {
    (void)detector_->detect(poller_->previous(), poller_->current());  // events went to the engine
    alarm_->check(poller_->previous(), poller_->current());
  }
}

void ServiceCore::recordStatus(uint32_t& timeout_ms) {
  recorder_->periodicRecording(status(), recordingSettings(), timeout_ms);
}

void ServiceCore::policyTick(uint32_t& timeout_ms) { policy_->tick(timeout_ms); }

void ServiceCore::scheduleTick(uint32_t& timeout_ms) { schedule_->tick(timeout_ms, *this); }

void ServiceCore::serveClients(uint32_t timeout_ms) {
  // A failed pass is retried next pass.
  if (server_) (void)server_->pollClients(timeout_ms, env_.notifier.get());
}

}  // namespace gw
