// A small X11 program that behaves like an application for the closer's tests:
//   --mode close    ends when asked to close;
//   --mode ask      asks "Save changes?" in a message box with Yes and No buttons, and ends on
//                   the answer given by --answer: key ('y'), enter, or button (a click on Yes);
//   --mode save     opens a "Save As" dialog with a file name field, and on Enter writes its
//                   document to the typed name and ends (--self-drawn: the dialog has no child
//                   windows and takes the keys itself, as toolkits that draw their controls do);
//   --mode ignore   ignores every request.
// --title sets the main window's title. The controls are child windows whose WM_CLASS names
// their kind ("Button", "Edit", "Static"), as in a toolkit with native controls.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

struct Options {
  std::string mode = "close";
  std::string title = "Test App";
  std::string answer = "key";
  bool self_drawn = false;
};

Display* dpy = nullptr;
Atom wm_protocols, wm_delete;

Window makeTopLevel(const std::string& title, const char* cls, Window owner, int w, int h) {
  Window win = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 100, 100, w, h, 1,
                                   BlackPixel(dpy, 0), WhitePixel(dpy, 0));
  XClassHint hint{const_cast<char*>("closerTestApp"), const_cast<char*>(cls)};
  XTextProperty name{};
  char* text = const_cast<char*>(title.c_str());
  XStringListToTextProperty(&text, 1, &name);
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  char* argv[] = {const_cast<char*>("closer_test_app"), nullptr};
  XSetWMProperties(dpy, win, &name, &name, argv, 1, nullptr, nullptr, &hint);
  XFree(name.value);
  XChangeProperty(dpy, win, XInternAtom(dpy, "_NET_WM_NAME", False),
                  XInternAtom(dpy, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()),
                  static_cast<int>(title.size()));
  long pid = getpid();
  XChangeProperty(dpy, win, XInternAtom(dpy, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
  XSetWMProtocols(dpy, win, &wm_delete, 1);
  if (owner != None) XSetTransientForHint(dpy, win, owner);
  XSelectInput(dpy, win, KeyPressMask | StructureNotifyMask);
  return win;
}

Window makeControl(Window parent, const char* instance, const char* cls, int x, int y) {
  Window c = XCreateSimpleWindow(dpy, parent, x, y, 80, 24, 1, BlackPixel(dpy, 0),
                                 WhitePixel(dpy, 0));
  XClassHint hint{const_cast<char*>(instance), const_cast<char*>(cls)};
  XSetClassHint(dpy, c, &hint);
  return c;
}

bool isDelete(const XEvent& e) {
  return e.type == ClientMessage && e.xclient.message_type == wm_protocols &&
         static_cast<Atom>(e.xclient.data.l[0]) == wm_delete;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--self-drawn") {
      o.self_drawn = true;
    } else if (i + 1 < argc) {
      const std::string v = argv[++i];
      if (a == "--mode") o.mode = v;
      if (a == "--title") o.title = v;
      if (a == "--answer") o.answer = v;
    }
  }
  dpy = XOpenDisplay(nullptr);
  if (!dpy) return 2;
  wm_protocols = XInternAtom(dpy, "WM_PROTOCOLS", False);
  wm_delete = XInternAtom(dpy, "WM_DELETE_WINDOW", False);

  Window main_window = makeTopLevel(o.title, "CloserTestApp", None, 300, 200);
  XMapWindow(dpy, main_window);
  Window popup = None, yes = None, edit = None;
  std::string typed;

  for (;;) {
    XEvent e;
    XNextEvent(dpy, &e);
    if (e.type == MappingNotify) {
      XRefreshKeyboardMapping(&e.xmapping);
      continue;
    }
    if (isDelete(e) && e.xclient.window == main_window && popup == None) {
      if (o.mode == "close") return 0;
      if (o.mode == "ask") {
        popup = makeTopLevel(o.title, "Dialog", main_window, 260, 100);
        yes = makeControl(popup, "yes", "Button", 20, 60);
        Window no = makeControl(popup, "no", "Button", 140, 60);
        Window label = makeControl(popup, "question", "Static", 20, 10);
        // Keys go no further up than the focused window, so a button takes its dialog's
        // mnemonics itself, as toolkit buttons do.
        XSelectInput(dpy, yes, ButtonPressMask | ButtonReleaseMask | KeyPressMask);
        XSelectInput(dpy, no, ButtonPressMask | ButtonReleaseMask | KeyPressMask);
        (void)label;
        XMapSubwindows(dpy, popup);
        XMapWindow(dpy, popup);
      } else if (o.mode == "save") {
        popup = makeTopLevel("Save As", "Dialog", main_window, 300, 100);
        if (!o.self_drawn) {
          makeControl(popup, "prompt", "Static", 10, 10);
          edit = makeControl(popup, "filename", "Edit", 10, 40);
          XSelectInput(dpy, edit, KeyPressMask);
          XMapSubwindows(dpy, popup);
        }
        XMapWindow(dpy, popup);
      }
      continue;
    }
    if (e.type == ButtonRelease && e.xbutton.window == yes && o.answer == "button") return 0;
    if (e.type != KeyPress || popup == None) continue;
    char buf[16] = {};
    KeySym sym = NoSymbol;
    const int n = XLookupString(&e.xkey, buf, sizeof buf - 1, &sym, nullptr);
    if (o.mode == "ask") {
      if (o.answer == "key" && (sym == XK_y || sym == XK_Y)) return 0;
      if (o.answer == "enter" && sym == XK_Return) return 0;
    } else if (o.mode == "save") {
      // Keys reach the field whether the focus is on it or on its dialog.
      if (sym == XK_Return) {
        std::ofstream out(typed, std::ios::binary);
        out << "document of " << o.title << "\n";
        return out ? 0 : 3;
      }
      typed.append(buf, static_cast<size_t>(n > 0 ? n : 0));
    }
  }
}
