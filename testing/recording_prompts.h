// Setup's message boxes with scripted answers; every box shown is recorded with its caption.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "setup/logic/setup_prompts.h"

namespace gw {

class RecordingPrompts : public setup::SetupPrompts {
 public:
  struct Box {
    std::string caption;
    std::string text;
  };

  // Answers for the Yes/No questions and the fault boxes, in order. When they run out, Yes and
  // Abort are given.
  std::deque<bool> yes_no;
  std::deque<setup::FaultChoice> faults;
  std::vector<Box> questions;
  std::vector<Box> fault_boxes;
  std::vector<Box> messages;
  std::vector<setup::MessageKind> message_kinds;

  bool askYesNo(const std::string& caption, const std::string& text) override {
    questions.push_back({caption, text});
    if (yes_no.empty()) return true;
    bool answer = yes_no.front();
    yes_no.pop_front();
    return answer;
  }
  setup::FaultChoice askAbortRetryIgnore(const std::string& caption,
                                         const std::string& text) override {
    fault_boxes.push_back({caption, text});
    if (faults.empty()) return setup::FaultChoice::kAbort;
    setup::FaultChoice choice = faults.front();
    faults.pop_front();
    return choice;
  }
  void tell(const std::string& caption, const std::string& text, setup::MessageKind kind) override {
    messages.push_back({caption, text});
    message_kinds.push_back(kind);
  }
};

}  // namespace gw
