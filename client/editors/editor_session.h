// What an editing window reads from the client's cache and asks of its request queue. The
// program implements it over the client session; tests implement it with a recorder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// DeviceSettingItem: the items of a device-settings request.
#include "client/session/session_cache.h"

namespace gw {

// Requests that carry what was staged before them.
enum class EditorRequest {
  kLogOps,
  kDeviceSettings,
  kSetSchedule,
  kSetPolicies,
  kSetServiceSettings,
};

// UPS values read from the cache.
enum class UpsValue {
  kMediaType,  // the medium the UPS was found on: 2 serial, 3 USB
  kMediaIndex,
  kSelfTestRunning,
};

class EditorSession {
 public:
  EditorSession() = default;
  EditorSession(const EditorSession&) = delete;
  EditorSession& operator=(const EditorSession&) = delete;
  virtual ~EditorSession() = default;

  // Values of the cached policy and service-settings tables; empty when the key is not there.
  virtual std::optional<std::string> policy(const std::string& key) const = 0;
  virtual std::optional<std::string> serviceSetting(const std::string& key) const = 0;
  // Empty unless the cached item is known (its code is 0).
  virtual std::optional<int> upsValue(UpsValue which) const = 0;
  // The current value (or the UPS's default) of items 2..6.
  virtual std::optional<int> deviceSetting(int item, bool default_value) const = 0;
  // The values the UPS allows for items 2..5.
  virtual std::optional<std::vector<int>> allowedValues(int item) const = 0;
  // The cached schedule item lines.
  virtual std::vector<std::string> scheduleLines() const = 0;
  // The client's notion of now: local time plus the service's offset.
  virtual int64_t nowMs() const = 0;
  // The page file of a log holding its newer or its older records.
  virtual std::string pageFile(int log, bool newer) const = 0;

  // Staging: what the next request of its kind carries, in the order staged.
  virtual void stagePolicy(const std::string& key, const std::string& value) = 0;
  virtual void stageServiceSetting(const std::string& key, const std::string& value) = 0;
  virtual void stageDeviceSetting(int item, int value) = 0;
  virtual void stageLogOp(int operation, int log) = 0;
  virtual void stageSchedule(const std::vector<std::string>& lines) = 0;

  // Queues the request with what was staged for it. Returns the tag (low 16 bits) that its
  // completion will carry back to the window.
  virtual uint32_t submit(EditorRequest request) = 0;
  // Subscribes once to the notice that a log's page files grew; returns the tag.
  virtual uint32_t subscribeLogGrew(int log) = 0;
};

// The tag as completions carry it.
inline constexpr uint32_t completionTagOf(uint32_t tag) { return tag & 0xFFFFu; }

}  // namespace gw
