// monview_paint_bench: times the gauge panel's once-a-second work, offscreen: building the
// display record, drawing the ten gauges into the panel's image and copying it to the screen
// image, over a connected UPS and a lost one. Usage: monview_paint_bench [repeats] (2000).
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "client/monview/gauge_panel.h"
#include "client/monview/panel_artwork.h"

namespace {

gw::GaugeInputs online(bool connected) {
  auto known = [](int v) { return gw::GaugeItem{0, v}; };
  gw::GaugeInputs in;
  in.connect = known(connected ? 1 : 0);
  in.power_fail = known(1);
  in.battery_low = known(0);
  in.port_type = known(2);
  in.self_test = known(0);
  in.input_voltage = known(0);
  in.output_voltage = known(23000);
  in.capacity = known(8700);
  in.load = known(3400);
  in.temperature = known(3800);
  in.frequency = known(5000);
  in.backup_time = known(1500);
  in.shutdown_max_count = "1";
  in.shutdown_delay = "30";
  in.now_ms = 1036515849000;
  in.power_fail_since_ms = in.now_ms - 12000;
  return in;
}

void report(const char* what, std::vector<double> us) {
  std::sort(us.begin(), us.end());
  double sum = 0;
  for (double v : us) sum += v;
  std::printf("%-28s mean %7.1f us   median %7.1f us   p99 %7.1f us   max %7.1f us\n", what,
              sum / us.size(), us[us.size() / 2], us[us.size() * 99 / 100], us.back());
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const int repeats = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
  gw::PanelArtwork artwork;
  for (bool connected : {true, false}) {
    gw::GaugeInputs inputs = online(connected);
    gw::GaugePanel panel(artwork, [&] { return inputs; });
    panel.resize(286, 196);
    QImage screen(panel.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> tick_us, paint_us;
    QElapsedTimer t;
    for (int i = 0; i < repeats; ++i) {
      inputs.now_ms += 1000;
      t.start();
      panel.tick();
      tick_us.push_back(t.nsecsElapsed() / 1000.0);
      t.start();
      panel.render(&screen);
      paint_us.push_back(t.nsecsElapsed() / 1000.0);
    }
    std::printf("%s (%d repeats)\n", connected ? "connected, power failure" : "communication lost",
                repeats);
    report("  tick (record + draw)", tick_us);
    report("  paint (copy to screen)", paint_us);
  }
  return 0;
}
