// The pointer and the keys of a Wayland session, for the end-to-end tests:
// synthetic X input reaches only the programs on XWayland, so the tests ask
// the compositor itself, through KWin's fake input or the virtual pointer and
// keyboard of wlroots compositors (sway), whichever it offers.
//
// Usage: wayland_input WIDTH HEIGHT (the screen, in logical pixels)
// Reads commands on its input and answers each with "ok" once the compositor
// has taken it: "move X Y" (to that point of the screen), "button 272 1"
// (BTN_LEFT down; 0 up), "key 29 1" (an evdev key code, down or up).

#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"
#include "wlroots-virtual-input-client-protocol.h"

static struct org_kde_kwin_fake_input* kwin;
static struct zwlr_virtual_pointer_manager_v1* pointers;
static struct zwp_virtual_keyboard_manager_v1* keyboards;
static struct wl_seat* seat;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        kwin = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
    else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        pointers = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    else if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        keyboards = wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1);
    else if (strcmp(interface, wl_seat_interface.name) == 0 && !seat)
        seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

// A virtual keyboard brings its keymap, which the compositor compiles from its
// own files, and tells its modifiers itself: Shift and Control are the first
// and the third modifier of every keymap.
static const char keymap[] =
    "xkb_keymap { xkb_keycodes { include \"evdev\" }; xkb_types { include \"complete\" };"
    " xkb_compat { include \"complete\" }; xkb_symbols { include \"pc+us\" }; };";

static uint32_t modifier(unsigned code) {
    return code == 42 ? 1 : code == 29 ? 4 : 0;  // KEY_LEFTSHIFT, KEY_LEFTCTRL
}

int main(int argc, char** argv) {
    const unsigned width = argc == 3 ? atoi(argv[1]) : 0, height = argc == 3 ? atoi(argv[2]) : 0;
    unsigned a, b;
    struct wl_display* display = wl_display_connect(NULL);
    if (!width || !height || !display) {
        fprintf(stderr, "usage: wayland_input WIDTH HEIGHT, in a Wayland session\n");
        return 2;
    }
    static const struct wl_registry_listener listener = {global, global_remove};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
    wl_display_roundtrip(display);

    struct zwlr_virtual_pointer_v1* pointer = 0;
    struct zwp_virtual_keyboard_v1* keyboard = 0;
    int fd = memfd_create("keymap", 0);
    if (kwin) {
        org_kde_kwin_fake_input_authenticate(kwin, "quillo e2e", "drives the tests");
    } else if (pointers && keyboards && seat && write(fd, keymap, sizeof keymap) > 0) {
        pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointers, seat);
        keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(keyboards, seat);
        zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                       sizeof keymap);
    } else {
        fprintf(stderr, "wayland_input: the compositor offers no fake input\n");
        return 1;
    }

    char word[16];
    uint32_t modifiers = 0;
    while (scanf("%15s %u %u", word, &a, &b) == 3) {
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        const uint32_t ms = (uint32_t)(now.tv_sec * 1000 + now.tv_nsec / 1000000);
        const int move = strcmp(word, "move") == 0, button = strcmp(word, "button") == 0;
        if (kwin && move)
            org_kde_kwin_fake_input_pointer_motion_absolute(kwin, wl_fixed_from_int(a),
                                                            wl_fixed_from_int(b));
        else if (kwin && button)
            org_kde_kwin_fake_input_button(kwin, a, b);
        else if (kwin)
            org_kde_kwin_fake_input_keyboard_key(kwin, a, b);
        else if (move)
            zwlr_virtual_pointer_v1_motion_absolute(pointer, ms, a, b, width, height);
        else if (button)
            zwlr_virtual_pointer_v1_button(pointer, ms, a, b);
        else {
            zwp_virtual_keyboard_v1_key(keyboard, ms, a, b);
            modifiers = b ? modifiers | modifier(a) : modifiers & ~modifier(a);
            zwp_virtual_keyboard_v1_modifiers(keyboard, modifiers, 0, 0, 0);
        }
        if (pointer && (move || button)) zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "wayland_input: the compositor refused \"%s\"\n", word);
            return 1;
        }
        printf("ok\n");
        fflush(stdout);
    }
    return 0;
}
