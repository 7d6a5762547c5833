// Default answers, with a line on standard error for each box.
#include <cstdio>

#include "setup/logic/unattended_prompts.h"

namespace gw::setup {
namespace {

void trace(const std::string& caption, const std::string& text, const char* answer) {
  std::fprintf(stderr, "%s: %s [%s]\n", caption.empty() ? "Setup" : caption.c_str(), text.c_str(),
               answer);
}

}  // namespace

bool UnattendedPrompts::askYesNo(const std::string& caption, const std::string& text) {
  trace(caption, text, "Yes");
  return true;
}

FaultChoice UnattendedPrompts::askAbortRetryIgnore(const std::string& caption,
                                                   const std::string& text) {
  trace(caption, text, "Abort");
  return FaultChoice::kAbort;
}

void UnattendedPrompts::tell(const std::string& caption, const std::string& text, MessageKind) {
  trace(caption, text, "OK");
}

}  // namespace gw::setup
