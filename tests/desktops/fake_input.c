/* Pointer and keys for native Wayland programs under KWin, through its
 * restricted fake input protocol (KWin offers it to every client when started
 * with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1). Built by the desktop matrix.
 *
 * usage: fake_input STEP ...   where a STEP is
 *   abs:X,Y     the pointer to a screen position
 *   click       a left click
 *   key:A+B     evdev key codes pressed in turn, released in reverse */
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>

#include "fake-input-client.h"

static struct org_kde_kwin_fake_input *fake;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version) {
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
        fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void global_remove(void *data, struct wl_registry *registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener listener = {global, global_remove};

int main(int argc, char **argv) {
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "fake_input: no Wayland display\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
    wl_display_roundtrip(display);
    if (!fake) {
        fprintf(stderr, "fake_input: the compositor offers no org_kde_kwin_fake_input v4\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fake, "glimmerbox desktop matrix", "drives the program under test");
    for (int i = 1; i < argc; ++i) {
        int x, y;
        if (sscanf(argv[i], "abs:%d,%d", &x, &y) == 2) {
            org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_int(x), wl_fixed_from_int(y));
        } else if (strcmp(argv[i], "click") == 0) {
            org_kde_kwin_fake_input_button(fake, BTN_LEFT, 1);
            org_kde_kwin_fake_input_button(fake, BTN_LEFT, 0);
        } else if (strncmp(argv[i], "key:", 4) == 0) {
            unsigned codes[4];
            int n = 0;
            for (char *part = strtok(argv[i] + 4, "+"); part && n < 4; part = strtok(NULL, "+"))
                codes[n++] = (unsigned)atoi(part);
            for (int k = 0; k < n; ++k) org_kde_kwin_fake_input_keyboard_key(fake, codes[k], 1);
            for (int k = n - 1; k >= 0; --k) org_kde_kwin_fake_input_keyboard_key(fake, codes[k], 0);
        } else {
            fprintf(stderr, "fake_input: unknown step %s\n", argv[i]);
            return 2;
        }
        wl_display_roundtrip(display);
        usleep(40000); /* as a person types: each step seen apart */
    }
    wl_display_disconnect(display);
    return 0;
}
