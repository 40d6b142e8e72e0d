// Another X client that holds Ctrl+Shift+<letter> on the root window, so that
// the end-to-end tests can check what the program does when its hot key is
// taken. Prints "grabbed" once it holds the key, then waits to be killed.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 2 || !argv[1][0])
        return 2;
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 3;
    const xcb_setup_t *setup = xcb_get_setup(c);
    const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *map =
        xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr);
    if (!map)
        return 4;
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map);
    const xcb_keysym_t wanted = xcb_keysym_t(argv[1][0] | 0x20); // the lower-case letter
    xcb_keycode_t code = 0;
    for (int k = 0; k < count && !code; ++k)
        for (int j = 0; j < map->keysyms_per_keycode; ++j)
            if (syms[k * map->keysyms_per_keycode + j] == wanted)
                code = xcb_keycode_t(setup->min_keycode + k);
    free(map);
    if (!code)
        return 5;
    // Only the plain variant: the program's checked grab of it must fail.
    xcb_generic_error_t *error =
        xcb_request_check(c, xcb_grab_key_checked(c, 1, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT, code,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    if (error)
        return 6;
    std::puts("grabbed");
    std::fflush(stdout);
    for (;;)
        pause();
}
