// Running the closer program in the user's session and waiting for it within the limit.
#include "service/shutdown/program_closer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/file_system.h"

namespace gw {

ProgramCloser::SessionFinder ProgramCloser::sessionFinder(const std::string& own_display) {
  if (!own_display.empty()) {
    return [own_display](GraphicalSession* s) { return ownGraphicalSession(own_display, s); };
  }
  return [](GraphicalSession* s) { return findActiveGraphicalSession(kSessionLookupMs, s); };
}

ProgramCloser::ProgramCloser(std::string service_dir, std::string saved_path, Clock& clock,
                             SessionFinder find_session, SystemLog& log, Launcher launcher)
    : service_dir_(std::move(service_dir)),
      saved_path_(std::move(saved_path)),
      clock_(clock),
      find_session_(std::move(find_session)),
      log_(log),
      launcher_(std::move(launcher)) {}

ResultCode ProgramCloser::closeApplications() {
  GraphicalSession session;
  if (!find_session_ || find_session_(&session) != RC_OK) {
    log_.info("no graphical session: the applications are not closed");
    return RC_NOT_AVAILABLE;
  }
  const std::string records = joinPath(service_dir_, kRecordsName);
  // Without the file the closer still closes; only its records are lost.
  (void)createFileForSession(records, session);
  const ResultCode r = runIn(session, records);
  takeRecords(records);
  return r;
}

ResultCode ProgramCloser::runIn(const GraphicalSession& session, const std::string& records) {
  SpawnOptions plain;
  plain.program = joinPath(service_dir_, kCloserName);
  plain.args = {"/L", records};
  SpawnOptions options;
  if (optionsInSession(session, plain, &options) != RC_OK) {
    log_.info("the applications of " + session.user + " cannot be closed from this account");
    return RC_NOT_AVAILABLE;
  }
  std::unique_ptr<ChildProcess> closer;
  if (!launcher_ || launcher_(options, &closer) != RC_OK || !closer) return RC_NOT_AVAILABLE;
  // Waiting in slices on our own clock keeps the limit testable and independent of how the
  // child's wait measures time.
  const int64_t deadline = clock_.monotonicMs() + kWaitLimitMs;
  for (;;) {
    int exit_code = 0;
    if (closer->wait(0, &exit_code) == RC_OK) return RC_OK;
    int64_t left = deadline - clock_.monotonicMs();
    if (left <= 0) return RC_TIMEOUT;  // the closer is left running
    clock_.sleepMs(std::min(left, kPollMs));
  }
}

void ProgramCloser::takeRecords(const std::string& records) {
  std::string text;
  if (readWholeFile(records, &text) != RC_OK) return;
  std::error_code ec;
  std::filesystem::remove(records, ec);
  // The session's user could write anything there: each line is made one record, without
  // carriage returns, in the log's own line end.
  text.resize(std::min(text.size(), kMaxRecordBytes));
  std::string lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) break;  // a record cut short by the closer's end
    std::string line = text.substr(start, end - start);
    std::erase(line, '\r');
    if (!line.empty()) lines += line + "\r\n";
    start = end + 1;
  }
  if (lines.empty()) return;
  if (std::FILE* f = std::fopen(saved_path_.c_str(), "ab")) {
    std::fwrite(lines.data(), 1, lines.size(), f);
    std::fclose(f);
  }
}

}  // namespace gw
