// The answers of a run without a user: the default button of every box.
#pragma once

#include "setup/logic/setup_prompts.h"

namespace gw::setup {

// Takes the default button of every box (Yes, Abort, OK), as a user pressing Enter would, and
// writes each text to standard error so that the run leaves a trace.
class UnattendedPrompts final : public SetupPrompts {
 public:
  bool askYesNo(const std::string& caption, const std::string& text) override;
  FaultChoice askAbortRetryIgnore(const std::string& caption, const std::string& text) override;
  void tell(const std::string& caption, const std::string& text, MessageKind kind) override;
};

}  // namespace gw::setup
