// The per-window escalation: events first, then time-outs step by step.
#include "closer/window_closer.h"

#include <iterator>
#include <thread>

namespace gw {

WindowCloser::WindowCloser(Desktop& desktop, Clock& clock, TempNameSource& names, SavedLog& log,
                           WindowId window)
    : desktop_(desktop), clock_(clock), names_(names), log_(log), window_(window) {}

bool WindowCloser::run() {
  process_ = desktop_.openProcess(window_);
  watch_ = desktop_.openWatch(window_, process_.get());
  desktop_.post(window_, WindowMessage::kQueryEndSession);
  for (;;) {
    Next next = Next::kWait;
    switch (watch_->wait(wait_ms_)) {
      case WakeReason::kActive:
        next = onActive();
        break;
      case WakeReason::kDestroy:
        next = onDestroy();
        break;
      case WakeReason::kProcessEnded:
        next = Next::kSucceeded;
        break;
      case WakeReason::kTimeout:
        next = onTimeout();
        break;
    }
    if (next != Next::kWait) {
      watch_.reset();  // removes the events before the process handle goes
      return next == Next::kSucceeded;
    }
  }
}

WindowCloser::Next WindowCloser::onActive() {
  if (!desktop_.exists(window_)) return Next::kSucceeded;
  std::this_thread::yield();  // lets the program finish drawing its dialog
  const WindowId popup = desktop_.lastActivePopup(window_);
  wait_ms_ = 0;
  if (popup == window_) return Next::kWait;
  step_ = 0;
  popup_count_ = popup == last_popup_ ? popup_count_ + 1 : 0;
  last_popup_ = popup;
  if (popup_count_ == 0 && ++popups_seen_ > kMaxPopups) {
    doPopupStep(PopupStep::kTerminate, popup, kNoWindow);
    return Next::kWait;
  }
  const WindowId edit = visibleChild(popup, ControlKind::kEdit);
  // What the pop-up gets each time it is seen again; past the end of its row the program is
  // ended.
  static constexpr PopupStep kEditDialog[] = {PopupStep::kTypeName, PopupStep::kTypeName,
                                              PopupStep::kClose, PopupStep::kDestroy};
  static constexpr PopupStep kMessageBox[] = {PopupStep::kTypeY,  PopupStep::kEnter,
                                              PopupStep::kButton, PopupStep::kClose,
                                              PopupStep::kDestroy, PopupStep::kQuit};
  const auto pick = [this](const auto& row) {
    const auto n = static_cast<int>(std::size(row));
    return popup_count_ < n ? row[popup_count_] : PopupStep::kTerminate;
  };
  doPopupStep(edit != kNoWindow ? pick(kEditDialog) : pick(kMessageBox), popup, edit);
  return Next::kWait;
}

void WindowCloser::doPopupStep(PopupStep step, WindowId popup, WindowId edit) {
  switch (step) {
    case PopupStep::kTypeName:
      writeTempName(edit);
      desktop_.pressEnter(popup);
      wait_ms_ = 1000;
      break;
    case PopupStep::kTypeY: {
      const WindowId control = desktop_.firstControl(popup);
      if (control != kNoWindow) desktop_.typeText(control, "Y");
      wait_ms_ = 1000;
      break;
    }
    case PopupStep::kEnter:
      desktop_.pressEnter(popup);
      wait_ms_ = 1000;
      break;
    case PopupStep::kButton: {
      const WindowId button = visibleChild(popup, ControlKind::kButton);
      if (button != kNoWindow) {
        desktop_.pressButton(popup, button);
        wait_ms_ = 1000;
      }  // else the wait stays 0: straight on to the next step
      break;
    }
    case PopupStep::kClose:
      desktop_.post(popup, WindowMessage::kClose);
      wait_ms_ = 100;
      break;
    case PopupStep::kDestroy:
      desktop_.post(popup, WindowMessage::kDestroy);
      wait_ms_ = 100;
      break;
    case PopupStep::kQuit:
      desktop_.post(popup, WindowMessage::kQuit);
      wait_ms_ = 100;
      break;
    case PopupStep::kTerminate:
      terminate();
      wait_ms_ = 100;
      step_ = -2;
      break;
  }
}

WindowCloser::Next WindowCloser::onDestroy() {
  std::this_thread::yield();
  wait_ms_ = desktop_.exists(window_) ? 1000 : 100;
  return Next::kWait;
}

WindowCloser::Next WindowCloser::onTimeout() {
  if (!desktop_.exists(window_)) return Next::kSucceeded;
  // Once the program has been ended, a window still showing means it will not go: without this
  // a pop-up left on screen would send us back to the pop-up branch for ever.
  if (terminated_) return Next::kGaveUp;
  if (desktop_.lastActivePopup(window_) != window_) {
    watch_->signalActive();  // handled by the pop-up branch, with the same wait
    return Next::kWait;
  }
  const int step = step_++;
  switch (step) {
    case 0:
      if (++close_count_ < 3) {
        desktop_.post(window_, WindowMessage::kClose);
        wait_ms_ = 1000;
      } else {
        terminate();
        wait_ms_ = 100;
        step_ = -2;
      }
      return Next::kWait;
    case 1:
      desktop_.post(window_, WindowMessage::kDestroy);
      wait_ms_ = 500;
      return Next::kWait;
    case 2:
      desktop_.post(window_, WindowMessage::kQuit);
      wait_ms_ = 200;
      return Next::kWait;
    case 3:
      terminate();
      wait_ms_ = 100;
      return Next::kWait;
    default:
      return Next::kGaveUp;
  }
}

void WindowCloser::writeTempName(WindowId edit) {
  const std::string title = desktop_.title(window_);
  const std::string name = names_.next();
  desktop_.typeText(edit, name);
  (void)log_.append(title, name);  // a lost record must not stop the closing
}

WindowId WindowCloser::visibleChild(WindowId popup, ControlKind kind) {
  const WindowId child = desktop_.findChild(popup, kind);
  if (child == kNoWindow) return kNoWindow;
  for (int i = 0; i < kVisibleChecks && !desktop_.isVisible(child); ++i) {
    clock_.sleepMs(kVisibleCheckMs);
  }
  return desktop_.isVisible(child) ? child : kNoWindow;
}

void WindowCloser::terminate() {
  terminated_ = true;
  if (process_) {
    process_->terminate(kTerminateGraceMs);
  } else {
    desktop_.post(window_, WindowMessage::kQuit);
  }
}

}  // namespace gw
