// The message boxes of setup, as an interface: the wizard shows them, an unattended run
// answers each with its default button, and tests script the answers.
#pragma once

#include <string>

namespace gw::setup {

enum class FaultChoice { kAbort, kRetry, kIgnore };
enum class MessageKind { kInformation, kWarning, kError };

class SetupPrompts {
 public:
  SetupPrompts() = default;
  SetupPrompts(const SetupPrompts&) = delete;
  SetupPrompts& operator=(const SetupPrompts&) = delete;
  virtual ~SetupPrompts() = default;

  // A question with Yes and No; true for Yes. Blocks until answered.
  virtual bool askYesNo(const std::string& caption, const std::string& text) = 0;
  // A warning with Abort, Retry and Ignore.
  virtual FaultChoice askAbortRetryIgnore(const std::string& caption, const std::string& text) = 0;
  // A message with an OK button.
  virtual void tell(const std::string& caption, const std::string& text, MessageKind kind) = 0;
};

}  // namespace gw::setup
