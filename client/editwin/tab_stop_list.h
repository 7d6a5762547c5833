// A list whose rows are tab-separated columns, each tab moving on to the next tab stop as a
// list box with tab stops does: stops in dialog units (a quarter of the average character
// width), and past the last stop, further stops at the last one's spacing.
#pragma once

#include <QListWidget>
#include <vector>

namespace gw {

class TabStopList : public QListWidget {
  Q_OBJECT
 public:
  explicit TabStopList(QWidget* parent = nullptr);

  void setTabStops(std::vector<int> dialog_units);
  // The stop positions in pixels for the list's font.
  std::vector<int> stopPixels() const;
  // Where each column of `row` starts, in pixels from the text's left edge.
  std::vector<int> columnStarts(const QString& row) const;

 private:
  std::vector<int> stops_;
};

}  // namespace gw
