// Load reports of the settings files and the kept originals.
#include "service/config/load_report.h"

#include <algorithm>

#include "platform/file_system.h"

namespace gw {
namespace {

// Enough line numbers to find the damage; the count says how far it goes.
constexpr size_t kLinesNamed = 10;

}  // namespace

std::string LoadReport::text() const {
  if (clean()) return {};
  std::string out = file_name + ":";
  if (!refused_lines.empty()) {
    out += " line " + std::to_string(refused_lines.front()) + " refused";
    if (refused_lines.size() > 1) {
      out += ", and " + std::to_string(refused_lines.size() - 1) + " more (";
      size_t named = std::min(refused_lines.size(), kLinesNamed + 1);
      for (size_t i = 1; i < named; ++i) {
        if (i > 1) out += ", ";
        out += std::to_string(refused_lines[i]);
      }
      if (named < refused_lines.size()) out += ", ...";
      out += ")";
    }
  }
  if (!note.empty()) out += (refused_lines.empty() ? " " : "; ") + note;
  if (kept_copy) {
    out += "; the original is kept as " + file_name + std::string(kRejectedSuffix);
  } else if (!refused_lines.empty()) {
    out += "; the original could not be kept";
  }
  return out;
}

LoadReport settleLoad(const std::string& path, std::string_view file_name,
                      const std::string& original, std::vector<size_t> refused, unsigned mode) {
  LoadReport report;
  report.file_name = std::string(file_name);
  report.refused_lines = std::move(refused);
  if (!report.refused_lines.empty()) {
    report.kept_copy =
        writeFileAtomically(path + std::string(kRejectedSuffix), original, mode) == RC_OK;
  }
  return report;
}

}  // namespace gw
