// Named events as POSIX named semaphores whose count is kept at 0 or 1.
#include "platform/named_event.h"

#include <fcntl.h>
#include <semaphore.h>

#include "platform/posix/errno_result.h"

namespace gw {
namespace {

std::string semaphoreName(const std::string& name) { return "/" + name; }

class PosixNamedEvent final : public NamedEvent {
 public:
  PosixNamedEvent(sem_t* sem, std::string unlink_name)
      : sem_(sem), unlink_name_(std::move(unlink_name)) {}
  ~PosixNamedEvent() override {
    ::sem_close(sem_);
    if (!unlink_name_.empty()) ::sem_unlink(unlink_name_.c_str());
  }

  void signal() override {
    // Reading and posting are two steps, which is safe because each event has one signalling
    // thread; the taker only ever lowers the count.
    int value = 0;
    if (::sem_getvalue(sem_, &value) == 0 && value > 0) return;
    ::sem_post(sem_);
  }

  bool tryTake() override {
    return posix::retryEintr([&] { return ::sem_trywait(sem_); }) == 0;
  }

 private:
  sem_t* sem_;
  std::string unlink_name_;  // set for the creator, which owns the name
};

}  // namespace

ResultCode NamedEvent::create(const std::string& name, std::unique_ptr<NamedEvent>* event) {
  const std::string sem_name = semaphoreName(name);
  sem_t* sem = ::sem_open(sem_name.c_str(), O_CREAT | O_EXCL, 0600, 0);
  if (sem == SEM_FAILED && errno == EEXIST) {
    // Only a crashed run leaves one behind; its count could be stale, so start afresh.
    ::sem_unlink(sem_name.c_str());
    sem = ::sem_open(sem_name.c_str(), O_CREAT | O_EXCL, 0600, 0);
  }
  if (sem == SEM_FAILED) return RC_NOT_AVAILABLE;
  *event = std::make_unique<PosixNamedEvent>(sem, sem_name);
  return RC_OK;
}

ResultCode NamedEvent::open(const std::string& name, std::unique_ptr<NamedEvent>* event) {
  sem_t* sem = ::sem_open(semaphoreName(name).c_str(), 0);
  if (sem == SEM_FAILED) return RC_NOT_AVAILABLE;
  *event = std::make_unique<PosixNamedEvent>(sem, std::string());
  return RC_OK;
}

bool NamedEvent::exists(const std::string& name) {
  sem_t* sem = ::sem_open(semaphoreName(name).c_str(), 0);
  if (sem == SEM_FAILED) return errno != ENOENT;
  ::sem_close(sem);
  return true;
}

}  // namespace gw
