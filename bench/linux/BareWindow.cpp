// bench_bare_window: the floor of the Linux viewer's "window shown": a bare
// GTK 3 window of the book window's size (800 x 600), nothing in it. Prints
// "bench_bare_window: timing <step> <ms>" (CLOCK_MONOTONIC) for start and
// window-shown (its map event), then ends.
#include <gtk/gtk.h>
#include <time.h>

#include <cstdio>

namespace {

void Mark(const char* step) {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  std::fprintf(stderr, "bench_bare_window: timing %s %.3f\n", step, now.tv_sec * 1000.0 + now.tv_nsec / 1e6);
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
  Mark("start");
  gtk_init(&argc, &argv);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "bench_bare_window");
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  g_signal_connect(window, "map-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer) -> gboolean {
                     Mark("window-shown");
                     g_timeout_add(200, [](gpointer) -> gboolean {
                       gtk_main_quit();
                       return G_SOURCE_REMOVE;
                     }, nullptr);
                     return FALSE;
                   }),
                   nullptr);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
