// bench_frames <window> <seconds>: how often the X window <window> (an id,
// decimal or 0x hex) and its children are painted, for the steady-state
// frame rate of an animated movie. Every update of the window's contents is
// one X Damage report (level "non-empty", the damage taken away after each),
// so bursts of small paints inside one frame count once. Prints
// "frames <updates> <seconds>" when the time is up.
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

namespace {

double Seconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_frames <window> <seconds>\n");
    return 2;
  }
  const Window window = std::strtoul(argv[1], nullptr, 0);
  const double span = std::atof(argv[2]);
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  int eventBase = 0, errorBase = 0;
  if (!XDamageQueryExtension(display, &eventBase, &errorBase)) return 1;
  const Damage damage = XDamageCreate(display, window, XDamageReportNonEmpty);
  XSync(display, False);
  XDamageSubtract(display, damage, None, None);
  XFlush(display);
  long updates = 0;
  const double end = Seconds() + span;
  for (;;) {
    const double left = end - Seconds();
    if (left <= 0) break;
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == eventBase + XDamageNotify) {
        ++updates;
        XDamageSubtract(display, damage, None, None);
      }
    }
    XFlush(display);
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left * 1000) + 1);
  }
  std::printf("frames %ld %.3f\n", updates, span);
  XDamageDestroy(display, damage);
  XCloseDisplay(display);
  return 0;
}
