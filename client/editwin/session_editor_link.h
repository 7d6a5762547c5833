// The editing windows' view of the client session: cache reads in their terms, and requests
// submitted through the main window so that their completions come back to the window's slot.
#pragma once

#include "client/editors/editor_session.h"
#include "client/monview/client_window.h"

namespace gw {

class SessionEditorLink : public EditorSession {
 public:
  // The host (and its session) must outlive the link.
  SessionEditorLink(WindowHost& host, int slot) : host_(host), slot_(slot) {}

  std::optional<std::string> policy(const std::string& key) const override;
  std::optional<std::string> serviceSetting(const std::string& key) const override;
  std::optional<int> upsValue(UpsValue which) const override;
  std::optional<int> deviceSetting(int item, bool default_value) const override;
  std::optional<std::vector<int>> allowedValues(int item) const override;
  std::vector<std::string> scheduleLines() const override;
  int64_t nowMs() const override;
  std::string pageFile(int log, bool newer) const override;

  void stagePolicy(const std::string& key, const std::string& value) override;
  void stageServiceSetting(const std::string& key, const std::string& value) override;
  void stageDeviceSetting(int item, int value) override;
  void stageLogOp(int operation, int log) override;
  void stageSchedule(const std::vector<std::string>& lines) override;
  uint32_t submit(EditorRequest request) override;
  uint32_t subscribeLogGrew(int log) override;

 private:
  WindowHost& host_;
  const int slot_;
};

}  // namespace gw
