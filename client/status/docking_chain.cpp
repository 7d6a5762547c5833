// Docking chain geometry.
#include "client/status/docking_chain.h"

#include <cstdlib>

namespace gw {

DockRect DockingChain::centred(int width, int height, const DockRect& desktop) {
  return {desktop.x + (desktop.width - width) / 2, desktop.y + (desktop.height - height) / 2,
          width, height};
}

bool DockingChain::boxesOverlap(int ax, int ay, int bx, int by) {
  // Two boxes of the same size centred on the points overlap when the points are closer than
  // one side on both axes.
  return std::abs(ax - bx) < kDropBox && std::abs(ay - by) < kDropBox;
}

int DockingChain::lastOfChain(int slot) const {
  // A chain holds each slot at most once, so kSlotCount steps always reach its end.
  for (int steps = 0; steps < kSlotCount && slots_[slot].below != kNoSlot; ++steps) {
    slot = slots_[slot].below;
  }
  return slot;
}

void DockingChain::hangBelowFrom(int slot) {
  for (int steps = 0; steps < kSlotCount; ++steps) {
    int lower = slots_[slot].below;
    if (lower == kNoSlot) return;
    const DockRect& up = slots_[slot].rect;
    slots_[lower].rect.x = up.x;
    slots_[lower].rect.y = up.bottom();
    slot = lower;
  }
}

void DockingChain::link(int upper, int lower) {
  slots_[upper].below = lower;
  slots_[lower].above = upper;
}

void DockingChain::unlink(int slot) {
  Slot& s = slots_[slot];
  if (s.above != kNoSlot) slots_[s.above].below = kNoSlot;
  s.above = kNoSlot;
}

void DockingChain::open(int slot, int width, int height, const DockRect& desktop) {
  if (!valid(slot) || slots_[slot].open) return;
  for (int i = 0; i < kSlotCount; ++i) {
    if (!slots_[i].open) continue;
    int last = lastOfChain(i);
    if (slots_[last].rect.bottom() > desktop.bottom()) continue;
    const DockRect& up = slots_[last].rect;
    slots_[slot] = Slot{true, {up.x, up.bottom(), width, height}, kNoSlot, kNoSlot};
    link(last, slot);
    return;
  }
  slots_[slot] = Slot{true, centred(width, height, desktop), kNoSlot, kNoSlot};
}

void DockingChain::close(int slot, const DockRect& desktop) {
  if (!isOpen(slot)) return;
  // A window below the dragged one only shortens the dragged chain.
  if (dragged_ == slot) dragged_ = kNoSlot;
  Slot& s = slots_[slot];
  int upper = s.above;
  int lower = s.below;
  unlink(slot);
  s = Slot{};
  if (lower == kNoSlot) return;
  slots_[lower].above = kNoSlot;
  if (upper != kNoSlot) {
    link(upper, lower);
    hangBelowFrom(upper);
    return;
  }
  hangBelowFrom(lower);
  if (slots_[lastOfChain(lower)].rect.bottom() > desktop.bottom()) {
    DockRect& top = slots_[lower].rect;
    top = centred(top.width, top.height, desktop);
    hangBelowFrom(lower);
  }
}

void DockingChain::beginDrag(int slot) { dragged_ = isOpen(slot) ? slot : kNoSlot; }

std::vector<int> DockingChain::draggedChain() const {
  std::vector<int> out;
  int slot = dragged_;
  while (slot != kNoSlot && out.size() < kSlotCount) {
    out.push_back(slot);
    slot = slots_[slot].below;
  }
  return out;
}

void DockingChain::dragBy(int dx, int dy) {
  for (int slot : draggedChain()) {
    slots_[slot].rect.x += dx;
    slots_[slot].rect.y += dy;
  }
}

void DockingChain::drop() {
  if (dragged_ == kNoSlot) return;
  const int slot = dragged_;
  const std::vector<int> chain = draggedChain();
  dragged_ = kNoSlot;
  const DockRect& r = slots_[slot].rect;
  int upper = slots_[slot].above;
  bool attached = upper != kNoSlot &&
                  boxesOverlap(r.x, r.y, slots_[upper].rect.x, slots_[upper].rect.bottom());
  if (!attached) {
    unlink(slot);
    for (int i = 0; i < kSlotCount; ++i) {
      if (!slots_[i].open || slots_[i].below != kNoSlot) continue;
      bool in_chain = false;
      for (int c : chain) in_chain = in_chain || c == i;
      if (in_chain) continue;
      if (boxesOverlap(r.x, r.y, slots_[i].rect.x, slots_[i].rect.bottom())) {
        link(i, slot);
        break;
      }
    }
  }
  int top = slots_[slot].above != kNoSlot ? slots_[slot].above : slot;
  hangBelowFrom(top);
}

void DockingChain::moved(int slot, const DockRect& rect) {
  if (!isOpen(slot)) return;
  slots_[slot].rect = rect;
  hangBelowFrom(slot);
}

}  // namespace gw
