// Media change decision: row and column selection around the constexpr table.
#include "driver/media_change_table.h"

namespace gw {
namespace {

// Types outside the known set select no UPS.
int knownType(int type) { return type >= 0 && type <= 3 ? type : 0; }

}  // namespace

int mediaChangeRow(int requested_type, int requested_index) {
  switch (knownType(requested_type)) {
    case 1:
      return 0;
    case 3:
      return requested_index == 0 ? 1 : 2;
    case 2:
      return requested_index == 0 ? 3 : 4;
    default:
      return 5;
  }
}

int mediaChangeColumn(int type_in_force, int index_in_force, const MediaInUse& in_use) {
  bool known = in_use.index >= 0;
  switch (knownType(type_in_force)) {
    case 1:
      if (in_use.type == 2) return 0;
      if (in_use.type == 3) return 1;
      return 2;
    case 3:
      return (index_in_force == 0 ? 3 : 5) + (known ? 0 : 1);
    case 2:
      return (index_in_force == 0 ? 7 : 9) + (known ? 0 : 1);
    default:
      // A port number is no column: an unknown type in force counts as no UPS, so the
      // lookup always stays inside the table.
      return 11;
  }
}

bool mediaChangeRecreates(int requested_type, int requested_index, int type_in_force,
                          int index_in_force, const MediaInUse& in_use) {
  int row = mediaChangeRow(requested_type, requested_index);
  int column = mediaChangeColumn(type_in_force, index_in_force, in_use);
  switch (kMediaChangeTable[row][column]) {
    case 'O':
      return false;
    case 'V':
      return requested_index != in_use.index;
    case '*':
      return requested_index != index_in_force;
    default:
      return true;
  }
}

}  // namespace gw
