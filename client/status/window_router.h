// The main window's bookkeeping without widgets: which window waits for which request tag,
// what the main window's own subscriptions have loaded, and which data-state messages each
// event sends to which window slot.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "client/session/completion_message.h"
#include "client/status/docking_chain.h"

namespace gw {

// Identifiers of the open-window request.
enum WindowId : int {
  kWindowIdStatus = 102,
  kWindowIdLog = 1004,
  kWindowIdSettings = 1005,
  kWindowIdSchedule = 1006,
  kWindowIdAbout = 1025,
  kWindowIdUpsConfig = 1026,
};

// The slot of a window identifier; kNoSlot for any other value.
int slotForWindowId(int id);

// "Available" or "not available", sent to one window. `what` matters for the settings window
// only: 0 the policies and settings, 1 the communication.
struct DataStateNote {
  int slot;
  bool available;
  int what;
  bool operator==(const DataStateNote&) const = default;
};

class WindowRouter {
 public:
  struct OwnTags {
    uint32_t properties = 0;
    uint32_t service_settings = 0;
    uint32_t policies = 0;
    uint32_t schedule = 0;
  };

  void setOwnTags(const OwnTags& tags) { own_ = tags; }
  // After a fresh properties subscription.
  void setPropertiesTag(uint32_t tag) { own_.properties = tag & 0xFFFFu; }

  // The window in `slot` made a request or subscription that completes with `tag`.
  void expect(uint32_t tag, int slot) { waiting_[tag & 0xFFFFu] = slot; }
  // A window has gone: its pending completions will be dropped.
  void windowClosed(int slot);

  struct Routed {
    int forward_to = kNoSlot;  // re-post the message unchanged to this slot
    std::vector<DataStateNote> notes;
  };
  Routed requestDone(uint32_t message);

  // The status window's message logic saw the communication come up or go down. When it went
  // down, *resubscribe is set: the caller subscribes to the properties again.
  std::vector<DataStateNote> commChanged(bool up, bool* resubscribe);

  // What a window that has just opened is told, from the flags gathered so far.
  std::vector<DataStateNote> windowOpened(int slot) const;

  bool propertiesLoaded() const { return props_for_status_; }
  bool communicationUp() const { return comm_up_; }

 private:
  OwnTags own_;
  std::map<uint32_t, int> waiting_;
  bool props_for_status_ = false;  // the status and About windows
  bool props_for_config_ = false;  // the UPS configuration window
  bool settings_seen_ = false;
  bool policies_seen_ = false;
  bool settings_and_policies_ = false;
  bool schedule_loaded_ = false;
  bool comm_up_ = false;
};

}  // namespace gw
