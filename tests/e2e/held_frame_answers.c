// Preloaded into the program by the dialog rows: every answer to a frame that
// Qt's Wayland client takes on its own thread is held a tenth of a second
// before the callback goes. A menu closed by the click that repainted it then
// meets that answer every time on sway, where a loaded machine meets it
// rarely, and the program must not end over it.

#define _GNU_SOURCE
#include <dlfcn.h>
#include <string.h>
#include <sys/syscall.h>
#include <unistd.h>

struct wl_proxy;

void wl_proxy_destroy(struct wl_proxy* proxy) {
    // Qt's Wayland client and libwayland are loaded late, and locally.
    void* wayland = dlopen("libwayland-client.so.0", RTLD_NOLOAD | RTLD_LAZY);
    void (*destroy)(struct wl_proxy*) =
        (void (*)(struct wl_proxy*))dlsym(wayland, "wl_proxy_destroy");
    const char* (*kind)(struct wl_proxy*) =
        (const char* (*)(struct wl_proxy*))dlsym(wayland, "wl_proxy_get_class");
    if (syscall(SYS_gettid) != getpid() && strcmp(kind(proxy), "wl_callback") == 0) {
        usleep(100 * 1000);
    }
    destroy(proxy);
    dlclose(wayland);
}
