// The docking chain of the client windows as pure geometry: windows hang below one another,
// close up when one closes, move together when dragged and re-attach where they are dropped.
//
// The chain owns the rectangles of the open windows; after each operation the caller moves
// every window whose rect() changed. Rectangles are the windows' outer frames in desktop pixels.
#pragma once

#include <array>
#include <vector>

namespace gw {

// Window slots, which are also the drag identifiers the windows post.
enum WindowSlot : int {
  kSlotStatus = 0,
  kSlotSettings = 1,
  kSlotUpsConfig = 2,
  kSlotSchedule = 3,
  kSlotLog = 4,
  kSlotAbout = 5,
};
inline constexpr int kSlotCount = 6;
inline constexpr int kNoSlot = 6;

struct DockRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int bottom() const { return y + height; }
  bool operator==(const DockRect&) const = default;
};

class DockingChain {
 public:
  // Side of the square boxes round the corners compared at a drop.
  static constexpr int kDropBox = 40;

  // Places a window of that size: below the last window of the first chain (in slot order)
  // whose last window still ends inside the desktop, or centred on the desktop.
  void open(int slot, int width, int height, const DockRect& desktop);
  // Unlinks the window; those below it move up to hang below its upper neighbour. A chain left
  // without a top that reaches below the desktop's bottom is centred.
  void close(int slot, const DockRect& desktop);

  // A press on the window's background: it and every window below it move from now on.
  void beginDrag(int slot);
  void dragBy(int dx, int dy);
  // The release: stays attached when the boxes round its top-left corner and its upper
  // neighbour's bottom-left corner overlap; otherwise it hangs below the first open window (in
  // slot order, with nothing below it) whose bottom-left box overlaps, or stays free. Every
  // window of the dragged chain is then placed exactly below its upper neighbour.
  void drop();
  bool dragging() const { return dragged_ != kNoSlot; }
  // The dragged window and every window below it, top first; empty when not dragging.
  std::vector<int> draggedChain() const;

  // The window was moved or resized by someone else (the window manager): the windows below
  // it follow.
  void moved(int slot, const DockRect& rect);

  bool isOpen(int slot) const { return valid(slot) && slots_[slot].open; }
  DockRect rect(int slot) const { return valid(slot) ? slots_[slot].rect : DockRect{}; }
  int above(int slot) const { return valid(slot) ? slots_[slot].above : kNoSlot; }
  int below(int slot) const { return valid(slot) ? slots_[slot].below : kNoSlot; }

 private:
  struct Slot {
    bool open = false;
    DockRect rect;
    int above = kNoSlot;
    int below = kNoSlot;
  };

  static bool valid(int slot) { return slot >= 0 && slot < kSlotCount; }
  int lastOfChain(int slot) const;
  void hangBelowFrom(int slot);  // re-places every window below `slot`
  void link(int upper, int lower);
  void unlink(int slot);
  static bool boxesOverlap(int ax, int ay, int bx, int by);
  static DockRect centred(int width, int height, const DockRect& desktop);

  std::array<Slot, kSlotCount> slots_;
  int dragged_ = kNoSlot;
};

}  // namespace gw
