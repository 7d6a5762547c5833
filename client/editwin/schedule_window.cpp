// The schedule window's pages over its editor.
#include "client/editwin/schedule_window.h"

#include "client/status/docking_chain.h"

namespace gw {
namespace {

const QRect kPageArea(10, 62, 580, 246);
constexpr int kGroupLeft = 230;  // within the page
constexpr int kGroupWidth = 350;
constexpr int kGroupHeight = 108;
constexpr int kOnGroupTop = 120;
// Label and field columns within a group.
constexpr int kLabelX[] = {12, 132, 230};
constexpr int kFieldX[] = {66, 178, 282};
constexpr int kFieldWidth[] = {60, 46, 54};

}  // namespace

ScheduleWindow::ScheduleWindow(WindowHost& host, RunMemory& memory)
    : EditorDialog(host, kSlotSchedule, "Schedule", QSize(600, 358)),
      link_(host, kSlotSchedule),
      editor_(link_, memory) {
  addGroup("Schedule Shutdown", QRect(10, 6, 580, 50));
  radios_[kDatedPage] = addRadio("Special Setting", QRect(22, 28, 160, 20));
  radios_[kWeeklyPage] = addRadio("Weekly Setting", QRect(220, 28, 160, 20));
  radios_[kDatedPage]->setObjectName("special");
  radios_[kWeeklyPage]->setObjectName("weekly");
  makePage(kDatedPage);
  makePage(kWeeklyPage);

  PanelButton* add_button = addButton("Add", QRect(10, 320, 76, 28));
  add_button->setObjectName("add");
  PanelButton* delete_button = addButton("Delete", QRect(92, 320, 76, 28));
  delete_button->setObjectName("delete");
  PanelButton* ok_button = addButton("OK", QRect(432, 320, 76, 28));
  ok_button->setObjectName("ok");
  PanelButton* cancel = addButton("Cancel", QRect(514, 320, 76, 28));
  cancel->setObjectName("cancel");
  connect(add_button, &PanelButton::clicked, this, [this] { add(); });
  connect(delete_button, &PanelButton::clicked, this, [this] { remove(); });
  connect(ok_button, &PanelButton::clicked, this, [this] {
    if (editor_.ok() == ScheduleEditor::Outcome::kClose) finish();
  });
  connect(cancel, &PanelButton::clicked, this, [this] { closeCommand(kCommandCancel); });
  for (int page : {kDatedPage, kWeeklyPage}) {
    connect(radios_[static_cast<size_t>(page)], &QRadioButton::clicked, this,
            [this, page] { showPage(page); });
  }
  const int first = editor_.initialPage();
  radios_[static_cast<size_t>(first)]->setChecked(true);
  showPage(first);
}

AcceleratingSpinBox* ScheduleWindow::spin(QWidget* parent, int low, int high, const QRect& where,
                                          const QString& name) {
  AcceleratingSpinBox* box = new AcceleratingSpinBox(host_.clock(), low, high, parent);
  box->setAccelerating(false);
  box->setGeometry(where);
  box->setObjectName(name);
  return box;
}

ScheduleWindow::TimeFields ScheduleWindow::makeFields(QWidget* parent, int page, int group_top,
                                                      const QString& prefix) {
  TimeFields f;
  const int row1 = group_top + 26;
  const int row2 = group_top + 66;
  auto at = [&](int column, int y) {
    return QRect(kGroupLeft + kFieldX[column], y - 2, kFieldWidth[column], 24);
  };
  auto label = [&](int column, int y, const QString& text) {
    addLabel(text, QRect(kGroupLeft + kLabelX[column], y, kFieldX[column] - kLabelX[column], 20),
             parent);
  };
  if (page == kDatedPage) {
    label(0, row1, "Year");
    f.year = spin(parent, kScheduleYearLow, editor_.yearHigh(), at(0, row1), prefix + "year");
    label(1, row1, "Month");
    f.month = spin(parent, 1, 12, at(1, row1), prefix + "month");
    label(2, row1, "Day");
    f.day = spin(parent, 1, 31, at(2, row1), prefix + "day");
  } else {
    label(0, row1, " Weekday");
    f.weekday = new QComboBox(parent);
    f.weekday->setObjectName(prefix + "weekday");
    for (const char* name : kWeekdayNames) f.weekday->addItem(name);
    f.weekday->setGeometry(kGroupLeft + kFieldX[0], row1 - 2, 120, 24);
  }
  label(0, row2, "AM / PM");
  f.am_pm = new AmPmSpinBox(parent);
  f.am_pm->setObjectName(prefix + "am_pm");
  f.am_pm->setGeometry(at(0, row2));
  label(1, row2, "Hour");
  f.hour = spin(parent, 1, 12, at(1, row2), prefix + "hour");
  label(2, row2, "Minute");
  f.minute = spin(parent, 0, 59, at(2, row2), prefix + "minute");
  return f;
}

void ScheduleWindow::makePage(int page) {
  Page& p = pages_[static_cast<size_t>(page)];
  p.widget = new QWidget(this);
  p.widget->setObjectName(page == kDatedPage ? "dated_page" : "weekly_page");
  p.widget->setGeometry(kPageArea);
  p.widget->hide();
  p.list = new QListWidget(p.widget);
  p.list->setObjectName("rows");
  p.list->setGeometry(0, 6, 220, kPageArea.height() - 6);
  const QPoint origin = kPageArea.topLeft();
  addGroup("Turn Off", QRect(origin + QPoint(kGroupLeft, 0), QSize(kGroupWidth, kGroupHeight)),
           p.widget);
  p.off = makeFields(p.widget, page, 0, "off_");
  const QRect on_group(origin + QPoint(kGroupLeft, kOnGroupTop), QSize(kGroupWidth, kGroupHeight));
  addCheckedGroup("Turn On", on_group, p.widget);
  const QPoint title = titleAt(on_group) - origin;
  p.turn_on = addCheckBox("Turn On", QRect(title.x(), title.y() - 2, 100, 20), p.widget);
  p.turn_on->setObjectName("turn_on");
  p.on = makeFields(p.widget, page, kOnGroupTop, "on_");
  p.turn_on->setChecked(editor_.turnOn(page));
  connect(p.turn_on, &QCheckBox::clicked, this, [this, page](bool on) {
    editor_.setTurnOn(page, on);
    applyTurnOn(page);
  });
  applyTurnOn(page);
}

void ScheduleWindow::applyTurnOn(int page) {
  Page& p = pages_[static_cast<size_t>(page)];
  const bool on = p.turn_on->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{p.on.year, p.on.month, p.on.day, p.on.weekday,
                                                    p.on.am_pm, p.on.hour, p.on.minute}) {
    if (w) w->setEnabled(on);
  }
}

void ScheduleWindow::setFieldsNow(TimeFields* f) {
  const ClockFields now = editor_.fieldsNow();
  if (f->year) {
    f->year->setValue(now.year);
    f->month->setValue(now.month);
    f->day->setValue(now.day);
  }
  if (f->weekday) f->weekday->setCurrentIndex(now.weekday);
  f->am_pm->setPm(now.pm);
  f->hour->setValue(now.hour12);
  f->minute->setValue(now.minute);
}

void ScheduleWindow::showPage(int page) {
  Page& p = pages_[static_cast<size_t>(page)];
  if (editor_.show(page)) {
    setFieldsNow(&p.off);
    setFieldsNow(&p.on);
    fillList(page);
  }
  pages_[static_cast<size_t>(1 - page)].widget->hide();
  p.widget->show();
  update();  // the page's group frames
}

void ScheduleWindow::fillList(int page) {
  QListWidget* l = list(page);
  l->clear();
  for (const std::string& row : editor_.rows(page)) l->addItem(QString::fromStdString(row));
}

ClockInput ScheduleWindow::clockOf(const TimeFields& f) const {
  return {f.am_pm->text().toStdString(), f.hour->text().toStdString(),
          f.minute->text().toStdString()};
}

DateInput ScheduleWindow::dateOf(const TimeFields& f) const {
  return {f.year->text().toStdString(), f.month->text().toStdString(),
          f.day->text().toStdString(), clockOf(f)};
}

void ScheduleWindow::add() {
  const int page = editor_.shown();
  if (page != kDatedPage && page != kWeeklyPage) return;
  const Page& p = pages_[static_cast<size_t>(page)];
  const bool added =
      page == kDatedPage
          ? editor_.addDated(dateOf(p.off), dateOf(p.on))
          : editor_.addWeekly(p.off.weekday->currentIndex(), clockOf(p.off),
                              p.on.weekday->currentIndex(), clockOf(p.on));
  if (added) fillList(page);
}

void ScheduleWindow::remove() {
  const int page = editor_.shown();
  if (page != kDatedPage && page != kWeeklyPage) return;
  const int selected = editor_.remove(list(page)->currentRow());
  fillList(page);
  list(page)->setCurrentRow(selected);
}

void ScheduleWindow::dataState(bool available, int what) {
  (void)what;
  if (editor_.setLoaded(available)) {
    for (int page : {kDatedPage, kWeeklyPage}) fillList(page);
  }
}

void ScheduleWindow::closeCommand(int command) {
  (void)command;
  finish();
}

}  // namespace gw
