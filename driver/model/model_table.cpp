// The model names and families of the binary-protocol UPS.
#include "driver/model/model_table.h"

#include <array>

#include "common/line_file.h"

namespace gw {
namespace {

struct ModelRow {
  std::string_view name;
  int family;
};

constexpr std::array<ModelRow, ModelTable::kCount> kModels = {{
    {"UNKNOWN", 0}, {"KA-1", 1}, {"KA-2", 1}, {"KB-1", 2}, {"KB-2", 2},  {"KB-3", 2},  {"KB-4", 2},
    {"KB-5", 2},    {"KB-6", 2}, {"KB-7", 2}, {"KC-1", 3}, {"KC-2", 3},  {"KC-3", 3},  {"KC-4", 3},
    {"KC-5", 3},    {"KC-6", 3}, {"KD-1", 4}, {"KD-2", 4}, {"KD-3", 4},  {"KD-4", 4},  {"KD-5", 4},
    {"KD-6", 4},    {"KD-7", 4}, {"KD-8", 4}, {"KD-9", 4}, {"KD-10", 4}, {"KD-11", 4}, {"KE-1", 5},
    {"KE-2", 5},    {"KE-3", 5}, {"KE-4", 5}, {"KE-5", 5}, {"KE-6", 5},
}};

struct Alias {
  long long number;
  std::string_view name;
};

constexpr Alias kAliases[] = {{37, "KD-7"}, {39, "KD-3"}, {41, "KD-4"}, {43, "KD-9"}};

void applyAlias(std::string* text) {
  if (text->size() < 2) return;
  const char r = (*text)[0];
  const char o = (*text)[1];
  if ((r != 'R' && r != 'r') || (o != 'O' && o != 'o')) return;
  const long long number = parseLeadingInt(std::string_view(*text).substr(2));
  for (const Alias& alias : kAliases) {
    if (alias.number == number) {
      *text = std::string(alias.name);
      return;
    }
  }
  text->clear();
}

}  // namespace

std::string_view ModelTable::name(int index) {
  if (index < 0 || index >= kCount) return {};
  return kModels[static_cast<size_t>(index)].name;
}

int ModelTable::family(int index) {
  if (index < 0 || index >= kCount) return 0;
  return kModels[static_cast<size_t>(index)].family;
}

ResultCode ModelTable::identify(std::string* model_text, int* index, int* family) {
  applyAlias(model_text);
  for (int i = 1; i < kCount; ++i) {
    if (kModels[static_cast<size_t>(i)].name == *model_text) {
      *index = i;
      *family = kModels[static_cast<size_t>(i)].family;
      return RC_OK;
    }
  }
  return RC_NOT_DETECTED;
}

}  // namespace gw
