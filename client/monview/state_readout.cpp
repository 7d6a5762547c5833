// Writing the readout files atomically, so that a reader never sees half of one.
#include "client/monview/state_readout.h"

#include <QFile>
#include <QSaveFile>

#include "client/monview/main_window.h"
#include "client/monview/status_window.h"
#include "client/status/window_router.h"

namespace gw {

StateReadout::StateReadout(MainWindow& main, QString text_path, QString picture_path)
    : main_(main), text_path_(std::move(text_path)), picture_path_(std::move(picture_path)) {}

void StateReadout::write() {
  StatusWindow* status = main_.statusWindow();
  if (!status) return;
  if (!text_path_.isEmpty()) {
    QByteArray out;
    out += "message=" + status->messageText().toUtf8() + "\n";
    out += "model=" + status->modelText().toUtf8() + "\n";
    out += "version=" + status->versionText().toUtf8() + "\n";
    out += "raised=" + QByteArray::number(raised_) + "\n";
    out += "flags=" + QByteArray::number(status->gaugePanel().record().flags, 16) + "\n";
    const auto& faces = status->gaugePanel().faces();
    for (int i = 0; i < kGaugeCount; ++i) {
      const GaugeFace& f = faces[i];
      out += "gauge" + QByteArray::number(i) + "=" + QByteArray(f.line1.c_str());
      if (!f.line2.empty()) out += "/" + QByteArray(f.line2.c_str());
      out += " colour=" + QByteArray::number(f.colour, 16).rightJustified(6, '0') +
             " level=" + QByteArray::number(f.level) + "\n";
    }
    QSaveFile file(text_path_);
    if (file.open(QIODevice::WriteOnly)) {
      file.write(out);
      (void)file.commit();  // the next tick writes again
    }
  }
  if (!picture_path_.isEmpty()) {
    save(status, picture_path_);
    // The other open windows beside it: "status.png" gives "status-settings.png" and so on.
    static constexpr const char* kSlotNames[kSlotCount] = {"", "settings", "upsconfig",
                                                           "schedule", "log", "about"};
    QString stem = picture_path_;
    if (stem.endsWith(".png")) stem.chop(4);
    for (int slot = kSlotSettings; slot < kSlotCount; ++slot) {
      if (ClientWindow* w = main_.window(slot)) {
        save(w->widget(), stem + "-" + kSlotNames[slot] + ".png");
      }
    }
  }
}

void StateReadout::save(QWidget* window, const QString& path) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) && window->grab().save(&file, "PNG")) (void)file.commit();
}

}  // namespace gw
