// Whether a media change (C4) re-creates the device: a 6 x 12 table of cells chosen by the
// requested selection (row) and by the selection in force with what the device reports about
// the media it actually uses (column).
//
// Media types other than 0 to 3 count as type 0 (no UPS), for the request and for the
// selection in force alike.
#pragma once

namespace gw {

// 'X' re-create; 'O' keep; 'V' re-create unless the requested index is the port or device
// number in use; '*' re-create unless the requested index is the index in force.
inline constexpr int kMediaChangeRows = 6;
inline constexpr int kMediaChangeColumns = 12;
inline constexpr char kMediaChangeTable[kMediaChangeRows][kMediaChangeColumns + 1] = {
    "OOOOOOOOOOOX",  // type 1, automatic
    "XOOOOO*XXXXX",  // type 3, index 0
    "XVOVOV*XXXXX",  // type 3, index n
    "OXOXXXXOOO*X",  // type 2, index 0
    "VXOXXXXVOV*X",  // type 2, index n
    "XXOXOXOXOXOO",  // type 0
};

// What the device reports about its media: element 23 (2 serial, 3 USB) and element 24 (port or
// device number); -1 where it cannot tell.
struct MediaInUse {
  int type = -1;
  int index = -1;
};

int mediaChangeRow(int requested_type, int requested_index);
int mediaChangeColumn(int type_in_force, int index_in_force, const MediaInUse& in_use);

// True when the request re-creates the device.
bool mediaChangeRecreates(int requested_type, int requested_index, int type_in_force,
                          int index_in_force, const MediaInUse& in_use);

}  // namespace gw
