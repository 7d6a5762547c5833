// montray under Xvfb with jwm's tray, against a real monsvc, porter and simulated UPS: the
// icon and tip follow a mains failure (read from montray's state lines, and from the screen),
// a click on the icon starts monview, the next event raises it, and a restarted tray host gets
// the icon back.
#include <gtest/gtest.h>
#include <signal.h>

#include <QImage>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>

#include "client/montray/tray_artwork.h"
#include "protocol/tray_display.h"
#include "testing/pipe_line.h"
#include "testing/ups_suite_run.h"
// X11's macros (None, Bool, Status) clash with names above, so its headers come last.
#include "testing/x_session.h"
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace gw {
namespace {

constexpr int kStartMs = 40000;  // the UPS detected and the first events, on a loaded machine
constexpr int kEventMs = 20000;

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
};

class TrayDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session = std::make_unique<XSession>(desk, kTrayJwmConfig);
    ASSERT_TRUE(session->ok()) << "no X session";
    std::string error;
    ASSERT_TRUE(run.startSimulator(&error)) << error;
    ASSERT_TRUE(run.startService("powerfail.shutdown.happen.delay=600\n", &error)) << error;
    ASSERT_TRUE(run.dir.copyProgram("montray") && run.dir.copyProgram("monview"));

    SpawnOptions o;
    o.program = run.dir.file("montray");
    o.args = {"--state-lines"};
    o.pipe_stdout = true;
    // monview, started by montray, inherits all of this too.
    o.extra_env = session->env();
    o.extra_env["QT_QPA_PLATFORM"] = "xcb";
    o.extra_env["XDG_RUNTIME_DIR"] = runtime.path();
    o.extra_env["GRIDWATCH_PORT"] = std::to_string(run.port());
    o.extra_env["GW_MONVIEW_STATE"] = run.dir.file("monview.state");
    ASSERT_EQ(spawnProcess(o, &tray), RC_OK);
    tray_out = tray->takeStdout();
  }
  void TearDown() override {
    if (client_pid > 0) ::kill(static_cast<pid_t>(-client_pid), SIGKILL);  // its own group
    if (tray && tray->running()) tray->terminate();
  }

  // Reads state lines until one starts with `prefix`; returns it, or "" on time-out.
  std::string waitLine(const std::string& prefix, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < deadline) {
      std::string line;
      if (!readPipeLine(*tray_out, &pending, 200, &line)) continue;
      seen += line + "\n";
      if (line.rfind("tray ", 0) == 0) {
        std::istringstream in(line.substr(5));
        in >> geometry.x >> geometry.y >> geometry.width >> geometry.height;
      }
      if (line.rfind(prefix, 0) == 0) return line;
    }
    return "";
  }
  // The icon sits in the tray: the 32 pixels along the bottom of the screen.
  bool embedded() const {
    Display* dpy = session->dpy();
    const int bottom = DisplayHeight(dpy, DefaultScreen(dpy));
    return geometry.width > 0 && geometry.y >= bottom - 32 && geometry.y + geometry.height <= bottom;
  }
  bool waitEmbedded(int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!embedded() && std::chrono::steady_clock::now() < deadline) (void)waitLine("tray ", 500);
    return embedded();
  }

  // What the screen shows in the tray icon's place.
  QImage capture(const Rect& r) const {
    Display* dpy = session->dpy();
    XImage* shot = XGetImage(dpy, DefaultRootWindow(dpy), r.x, r.y, r.width, r.height, AllPlanes,
                             ZPixmap);
    QImage image(r.width, r.height, QImage::Format_RGB32);
    if (!shot) return QImage();
    for (int y = 0; y < r.height; ++y) {
      for (int x = 0; x < r.width; ++x) {
        unsigned long p = XGetPixel(shot, x, y);
        image.setPixel(x, y, qRgb((p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff));
      }
    }
    XDestroyImage(shot);
    return image;
  }

  // The icon among the four whose picture is nearest to the screen's, by the mean colour of
  // the picture's own pixels; *distance is that colour distance.
  static int nearestIcon(const QImage& screen, double* distance) {
    int best = 0;
    *distance = 1e9;
    for (int id : {kIconNormal, kIconCommunicationLost, kIconPowerFailure, kIconBatteryLow}) {
      const QImage picture = paintTrayPicture(id, screen.width());
      double d[2][3] = {};
      int n = 0;
      for (int y = 0; y < picture.height() && y < screen.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
          const QColor p = picture.pixelColor(x, y);
          if (p.alpha() < 250) continue;
          const QColor s = screen.pixelColor(x, y);
          d[0][0] += p.red(), d[0][1] += p.green(), d[0][2] += p.blue();
          d[1][0] += s.red(), d[1][1] += s.green(), d[1][2] += s.blue();
          ++n;
        }
      }
      if (n == 0) continue;
      const double dist = std::hypot(d[0][0] - d[1][0], d[0][1] - d[1][1], d[0][2] - d[1][2]) / n;
      if (dist < *distance) *distance = dist, best = id;
    }
    return best;
  }

  void clickIcon() {
    Display* dpy = session->dpy();
    XTestFakeMotionEvent(dpy, -1, geometry.x + geometry.width / 2,
                         geometry.y + geometry.height / 2, 0);
    XTestFakeButtonEvent(dpy, 1, True, 0);
    XTestFakeButtonEvent(dpy, 1, False, 0);
    XFlush(dpy);
  }

  TempDir desk;
  TempDir runtime;  // the user's runtime directory, where monview's channel lives
  std::unique_ptr<XSession> session;
  UpsSuiteRun run;
  std::unique_ptr<ChildProcess> tray;
  std::unique_ptr<Pipe> tray_out;
  std::string pending;
  std::string seen;
  Rect geometry;
  int64_t client_pid = 0;
};

TEST_F(TrayDesktopTest, MainsFailureShowsInTheTrayAndTheIconReachesTheClient) {
  ASSERT_NE(waitLine("icon 120 UPS Communication established.", kStartMs), "") << seen;
  ASSERT_TRUE(waitEmbedded(10000)) << "the tray host never took the icon:\n" << seen;
  double distance = 0;
  EXPECT_EQ(nearestIcon(capture(geometry), &distance), kIconNormal) << distance;

  EXPECT_EQ(run.simulator("mains fail"), "OK mains off");
  ASSERT_NE(waitLine("icon 117 UPS Power failure.", kEventMs), "") << seen;
  // The tray host draws what it was given; give it a moment.
  ASSERT_TRUE(UpsSuiteRun::waitUntil(
      [&] { return nearestIcon(capture(geometry), &distance) == kIconPowerFailure; }, 5000))
      << "the screen shows icon " << nearestIcon(capture(geometry), &distance)
      << " at distance " << distance;
  EXPECT_LT(distance, 40);
  if (const char* out = std::getenv("GW_SCREENSHOT_OUT")) {
    // The pointer rests on the icon until its tip shows, then the corner of the screen is kept.
    Display* dpy = session->dpy();
    XTestFakeMotionEvent(dpy, -1, geometry.x + geometry.width / 2, geometry.y + 4, 0);
    XFlush(dpy);
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    const int height = 90;
    const int top = geometry.y + geometry.height + 1 - height;
    capture({0, top, 360, height}).save(out, "PNG");
    if (const char* menu_out = std::getenv("GW_SCREENSHOT_MENU_OUT")) {
      XTestFakeButtonEvent(dpy, 3, True, 0);
      XTestFakeButtonEvent(dpy, 3, False, 0);
      XFlush(dpy);
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      capture({0, top, 360, height}).save(menu_out, "PNG");
      const KeyCode escape = XKeysymToKeycode(dpy, XK_Escape);
      XTestFakeKeyEvent(dpy, escape, True, 0);
      XTestFakeKeyEvent(dpy, escape, False, 0);
      XFlush(dpy);
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
  }

  clickIcon();  // a left click is "UPS Management": no client runs, so one is started
  const std::string started = waitLine("client ", 10000);
  ASSERT_NE(started, "") << seen;
  client_pid = std::atoll(started.c_str() + 7);
  ASSERT_GT(client_pid, 0);
  ASSERT_TRUE(UpsSuiteRun::waitUntil(
      [&] { return runtime.exists("UPS Management Client Program"); }, 20000))
      << "monview never opened its channel";
  EXPECT_EQ(::kill(static_cast<pid_t>(client_pid), 0), 0) << "monview runs";

  // The next event brings the client forward over its channel.
  EXPECT_EQ(run.simulator("mains restore"), "OK mains on");
  ASSERT_NE(waitLine("icon 120 UPS Power restore to normal.", kEventMs), "") << seen;
  EXPECT_TRUE(UpsSuiteRun::waitUntil(
      [&] { return run.dir.read("monview.state").find("raised=1") != std::string::npos; }, 10000))
      << run.dir.read("monview.state");

  // A second click raises the client it started instead of starting another.
  clickIcon();
  EXPECT_TRUE(UpsSuiteRun::waitUntil(
      [&] { return run.dir.read("monview.state").find("raised=2") != std::string::npos; }, 10000))
      << run.dir.read("monview.state");
  EXPECT_EQ(waitLine("client ", 1000), "") << seen;
}

TEST_F(TrayDesktopTest, ARestartedTrayHostGetsTheLastIconBack) {
  ASSERT_NE(waitLine("icon 120 UPS Communication established.", kStartMs), "") << seen;
  EXPECT_EQ(run.simulator("mains fail"), "OK mains off");
  ASSERT_NE(waitLine("icon 117 UPS Power failure.", kEventMs), "") << seen;
  EXPECT_EQ(run.simulator("battery low"), "OK battery low");
  ASSERT_NE(waitLine("icon 118 UPS Battery low.", kEventMs), "") << seen;
  ASSERT_TRUE(waitEmbedded(10000)) << seen;

  ASSERT_TRUE(session->restartManager());
  ASSERT_NE(waitLine("icon 118 UPS Battery low.", 10000), "") << "not added again:\n" << seen;
  geometry = Rect();
  ASSERT_TRUE(waitEmbedded(10000)) << seen;
  double distance = 0;
  EXPECT_TRUE(UpsSuiteRun::waitUntil(
      [&] { return nearestIcon(capture(geometry), &distance) == kIconBatteryLow; }, 5000))
      << distance << "\n" << seen;
}

TEST_F(TrayDesktopTest, AStoppedServiceShowsAsNotRunning) {
  ASSERT_NE(waitLine("icon 120 UPS Communication established.", kStartMs), "") << seen;
  ASSERT_TRUE(run.stopService(10000));
  ASSERT_NE(waitLine("icon 116 UPS Service is not running.", 10000), "") << seen;
}

}  // namespace
}  // namespace gw
