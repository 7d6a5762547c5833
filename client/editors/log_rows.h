// The log window's list rows: columns separated by tabs, one row per record of a page file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "client/editors/editor_session.h"

namespace gw {

// An event record ends with a blank and its event code; the row is the text before that blank,
// a tab and the policy's record text for the code. Empty (the record is left out) when there
// is no blank, the code is not a number from 0 to 11, or the policy has no text for it.
std::optional<std::string> eventRow(std::string_view line, const EditorSession& session);

// A status record is two words (date and time) and six numbers in hundredths: input and output
// voltage, capacity, load, frequency and temperature. Every column ends with a tab; the
// frequency keeps one decimal (6012 gives 60.1, 6099 gives 60.9), the rest are whole. Empty when
// the line does not read that way.
std::optional<std::string> statusRow(std::string_view line);

// The row of a record of `log`; the closed-application log's lines are shown unchanged.
std::optional<std::string> logRow(int log, std::string_view line, const EditorSession& session);

}  // namespace gw
