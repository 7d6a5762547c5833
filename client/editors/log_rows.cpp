// Records of the three logs turned into tabbed rows.
#include "client/editors/log_rows.h"

#include <array>
#include <cstdlib>

#include "client/core/event_texts.h"
#include "common/line_file.h"
#include "protocol/log_kind.h"

namespace gw {
namespace {

std::string_view nextWord(std::string_view* rest) {
  size_t start = rest->find_first_not_of(' ');
  if (start == std::string_view::npos) {
    *rest = {};
    return {};
  }
  rest->remove_prefix(start);
  size_t end = rest->find(' ');
  std::string_view word = rest->substr(0, end);
  rest->remove_prefix(end == std::string_view::npos ? rest->size() : end);
  return word;
}

}  // namespace

std::optional<std::string> eventRow(std::string_view line, const EditorSession& session) {
  size_t blank = line.rfind(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  long long code = 0;
  if (!parseWholeInt(line.substr(blank + 1), &code) || code < 0 ||
      code >= EventTexts::kCodeCount) {
    return std::nullopt;
  }
  std::optional<std::string> text = session.policy(EventTexts::contentKey(static_cast<int>(code)));
  if (!text) return std::nullopt;
  return std::string(line.substr(0, blank)) + '\t' + *text;
}

std::optional<std::string> statusRow(std::string_view line) {
  std::string_view rest = line;
  std::string_view date = nextWord(&rest);
  std::string_view time = nextWord(&rest);
  if (date.empty() || time.empty()) return std::nullopt;
  std::array<long long, 6> values{};
  for (long long& v : values) {
    if (!parseWholeInt(nextWord(&rest), &v)) return std::nullopt;
  }
  std::string row = std::string(date) + '\t' + std::string(time) + '\t';
  for (size_t i = 0; i < 4; ++i) row += std::to_string(values[i] / 100) + '\t';
  row += std::to_string(values[4] / 100) + '.' + std::to_string(std::abs(values[4] % 100) / 10) + '\t';
  row += std::to_string(values[5] / 100) + '\t';
  return row;
}

std::optional<std::string> logRow(int log, std::string_view line, const EditorSession& session) {
  switch (log) {
    case LOG_EVENT:
      return eventRow(line, session);
    case LOG_STATUS:
      return statusRow(line);
    default:
      return std::string(line);
  }
}

}  // namespace gw
