// Drawing tabbed rows at their stops.
#include "client/editwin/tab_stop_list.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

namespace gw {
namespace {

constexpr int kTextMargin = 3;

class TabbedDelegate : public QStyledItemDelegate {
 public:
  explicit TabbedDelegate(TabStopList* list) : QStyledItemDelegate(list), list_(list) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem o = option;
    initStyleOption(&o, index);
    const QString row = o.text;
    o.text.clear();
    o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, painter, o.widget);
    const QStringList columns = row.split('\t');
    const std::vector<int> starts = list_->columnStarts(row);
    painter->save();
    painter->setPen(o.palette.color(o.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                     : QPalette::Text));
    for (int i = 0; i < columns.size(); ++i) {
      QRect r = o.rect.adjusted(kTextMargin + starts[static_cast<size_t>(i)], 0, 0, 0);
      painter->drawText(r, Qt::AlignLeft | Qt::AlignVCenter, columns[i]);
    }
    painter->restore();
  }

 private:
  TabStopList* list_;
};

}  // namespace

TabStopList::TabStopList(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new TabbedDelegate(this));
  setUniformItemSizes(true);
}

void TabStopList::setTabStops(std::vector<int> dialog_units) {
  stops_ = std::move(dialog_units);
  viewport()->update();
}

std::vector<int> TabStopList::stopPixels() const {
  const int char_width = fontMetrics().averageCharWidth();
  std::vector<int> px;
  for (int du : stops_) px.push_back(du * char_width / 4);
  return px;
}

std::vector<int> TabStopList::columnStarts(const QString& row) const {
  const std::vector<int> stops = stopPixels();
  int spacing = stops.empty() ? 0
                : stops.size() == 1 ? stops[0]
                                    : stops.back() - stops[stops.size() - 2];
  if (spacing <= 0) spacing = 8 * std::max(fontMetrics().averageCharWidth(), 1);
  std::vector<int> starts{0};
  int x = 0;
  const QStringList columns = row.split('\t');
  for (int i = 0; i + 1 < columns.size(); ++i) {
    x += fontMetrics().horizontalAdvance(columns[i]);
    int next = -1;
    for (int s : stops) {
      if (s > x) {
        next = s;
        break;
      }
    }
    if (next < 0) {
      const int last = stops.empty() ? 0 : stops.back();
      next = last + ((x - last) / spacing + 1) * spacing;
    }
    x = next;
    starts.push_back(x);
  }
  return starts;
}

}  // namespace gw
