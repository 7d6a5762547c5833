// The log window's pages over its viewer.
#include "client/editwin/log_window.h"

#include <algorithm>

#include "client/session/completion_message.h"
#include "client/status/docking_chain.h"

namespace gw {
namespace {

const QRect kPageArea(10, 62, 560, 318);
constexpr int kListTextMargin = 3;

}  // namespace

LogWindow::LogWindow(WindowHost& host, RunMemory& memory)
    : EditorDialog(host, kSlotLog, "Log", QSize(580, 428)),
      link_(host, kSlotLog),
      viewer_(link_, memory) {
  addGroup("Select Function", QRect(10, 6, 560, 50));
  radios_[LOG_EVENT] = addRadio("Event", QRect(22, 28, 90, 20));
  radios_[LOG_SAVED] = addRadio("Closed Application Information", QRect(130, 28, 240, 20));
  radios_[LOG_STATUS] = addRadio("Data Record", QRect(390, 28, 130, 20));
  radios_[LOG_EVENT]->setObjectName("event");
  radios_[LOG_SAVED]->setObjectName("saved");
  radios_[LOG_STATUS]->setObjectName("data_record");

  makePage(LOG_EVENT, {"Time", "Event"}, {0, 1}, {25}, "0000/00/00 00:00:00\t", 0);
  makePage(LOG_SAVED, {"Application Name", "Saved Filename"}, {0, 1}, {110}, "\t", 0);
  // "Time" stands over the date and the time of day.
  QWidget* record_page = makePage(
      LOG_STATUS,
      {"Time", "Input\nVoltage", "Output\nVoltage", "Battery\nCapacity", "Load\nLevel",
       "Freq.\n( Hz )", "Temp.\n( C )"},
      {0, 2, 3, 4, 5, 6, 7}, {40, 75, 100, 127, 157, 175, 200},
      "0000/00/00\t00:00:00\t000\t000\t000\t000\t00.0\t00\t", 62);
  addGroup("Record Timing", QRect(kPageArea.left(), kPageArea.top(), kPageArea.width(), 54),
           record_page);
  periodic_ = addCheckBox("Periodic", QRect(12, 22, 90, 22), record_page);
  periodic_->setObjectName("periodic");
  minutes_ = new AcceleratingSpinBox(host.clock(), 0, kTimingMinutesSpinHigh, record_page);
  minutes_->setObjectName("minutes");
  minutes_->setGeometry(110, 22, 62, 24);
  addLabel("min.", QRect(176, 22, 34, 22), record_page);
  seconds_ = new AcceleratingSpinBox(host.clock(), 0, kTimingSecondsSpinHigh, record_page);
  seconds_->setObjectName("seconds");
  seconds_->setGeometry(216, 22, 52, 24);
  addLabel("sec.", QRect(272, 22, 34, 22), record_page);
  on_event_ = addCheckBox("Event happen", QRect(330, 22, 150, 22), record_page);
  on_event_->setObjectName("on_event");
  connect(periodic_, &QCheckBox::toggled, this, [this] { applyPeriodic(); });

  PanelButton* clear = addButton("Clear", QRect(10, 390, 76, 28));
  clear->setObjectName("clear");
  PanelButton* ok_button = addButton("OK", QRect(412, 390, 76, 28));
  ok_button->setObjectName("ok");
  PanelButton* cancel = addButton("Cancel", QRect(494, 390, 76, 28));
  cancel->setObjectName("cancel");
  connect(clear, &PanelButton::clicked, this, [this] {
    viewer_.clear();
    if (isLogKind(viewer_.shown())) list(viewer_.shown())->clear();
  });
  connect(ok_button, &PanelButton::clicked, this, [this] { ok(); });
  connect(cancel, &PanelButton::clicked, this, [this] { closeCommand(kCommandCancel); });

  for (int log = 0; log < kLogKindCount; ++log) {
    connect(radios_[static_cast<size_t>(log)], &QRadioButton::clicked, this,
            [this, log] { showPage(log); });
  }
  const int first = viewer_.initialPage();
  radios_[static_cast<size_t>(first)]->setChecked(true);
  showPage(first);
}

QWidget* LogWindow::makePage(int log, const std::vector<QString>& headings,
                             const std::vector<int>& columns, std::vector<int> stops,
                             const QString& sample, int top) {
  QWidget* page = new QWidget(this);
  page->setGeometry(kPageArea);
  page->hide();
  TabStopList* list = new TabStopList(page);
  list->setObjectName(QString("list%1").arg(log));
  list->setTabStops(std::move(stops));
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int heading_height = headings.size() > 2 ? 34 : 20;
  list->setGeometry(0, top + heading_height, kPageArea.width(), kPageArea.height() - top - heading_height);
  const std::vector<int> starts = list->columnStarts(sample);
  const int x0 = list->frameWidth() + kListTextMargin;
  for (size_t i = 0; i < headings.size(); ++i) {
    const size_t column = std::min(static_cast<size_t>(columns[i]), starts.size() - 1);
    const int x = x0 + starts[column];
    const int width = (column + 1 < starts.size() ? x0 + starts[column + 1] : kPageArea.width()) - x;
    QLabel* label = addLabel(headings[i], QRect(x, top, width, heading_height), page);
    label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
  }
  pages_[static_cast<size_t>(log)] = page;
  lists_[static_cast<size_t>(log)] = list;
  return page;
}

void LogWindow::showPage(int log) {
  for (int other = 0; other < kLogKindCount; ++other) {
    if (other != log) pages_[static_cast<size_t>(other)]->hide();
  }
  const bool was_created = viewer_.created(log);
  ListChange change = viewer_.show(log);
  if (log == LOG_STATUS && !was_created) {
    RecordTiming t = viewer_.loadedTiming();
    periodic_->setChecked(t.periodic);
    minutes_->setValue(t.minutes);
    seconds_->setValue(t.seconds);
    on_event_->setChecked(t.on_event);
    applyPeriodic();
  }
  pages_[static_cast<size_t>(log)]->show();
  apply(change);
  update();  // the page's group frame
}

void LogWindow::apply(const ListChange& change) {
  if (!isLogKind(change.log)) return;
  TabStopList* l = list(change.log);
  for (auto it = change.above.rbegin(); it != change.above.rend(); ++it) {
    l->insertItem(0, QString::fromStdString(*it));
  }
  for (const std::string& row : change.below) l->addItem(QString::fromStdString(row));
}

void LogWindow::applyPeriodic() {
  minutes_->setEnabled(periodic_->isChecked());
  seconds_->setEnabled(periodic_->isChecked());
}

void LogWindow::requestDone(uint32_t message) {
  ListChange change;
  LogViewer::Outcome outcome;
  if (!viewer_.requestDone(completionTag(message), completionCode(message), &change, &outcome)) {
    return;
  }
  apply(change);
  if (outcome == LogViewer::Outcome::kWait) return;
  endWait();
  if (outcome == LogViewer::Outcome::kClose) finish();
}

void LogWindow::ok() {
  viewer_.rememberPage();
  RecordTimingControls c;
  c.periodic = periodic_->isChecked();
  c.minutes = minutes_->text().toStdString();
  c.seconds = seconds_->text().toStdString();
  c.on_event = on_event_->isChecked();
  LogViewer::OkResult r = viewer_.ok(c);
  switch (r.outcome) {
    case LogViewer::Outcome::kClose:
      finish();
      break;
    case LogViewer::Outcome::kStay:
      showMessage(QString::fromStdString(r.message));
      break;
    case LogViewer::Outcome::kWait:
      beginWait();
      break;
  }
}

void LogWindow::closeCommand(int command) {
  (void)command;
  viewer_.rememberPage();
  finish();
}

}  // namespace gw
