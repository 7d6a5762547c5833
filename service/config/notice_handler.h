// The receiver of change notices: the service object implements it to react when a watched
// setting or policy key is set.
#pragma once

#include <cstdint>

namespace gw {

class NoticeHandler {
 public:
  NoticeHandler() = default;
  virtual ~NoticeHandler() = default;
  NoticeHandler(const NoticeHandler&) = delete;
  NoticeHandler& operator=(const NoticeHandler&) = delete;

  // Called synchronously on the thread that made the set, after the new value is stored, with
  // the id that `watch` returned for the key. Called for every successful set of a watched key,
  // whether the value changed or not.
  virtual void onNotice(uint32_t id) = 0;
};

}  // namespace gw
