// Another X11 client for the hotkey tests: grabs Alt+D on the root window with the lock
// combinations named on the command line ("plain", "caps", "num", "capsnum"), answers one
// line, "grabbed" or "refused", and holds whatever it got until its standard input closes.
// Exit status 2 when there is no display or no D key.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <X11/keysym.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main(int argc, char **argv)
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        return 2;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(connection);
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, XK_d);
    const xcb_keycode_t d = codes ? codes[0] : XCB_NO_SYMBOL;
    std::free(codes);
    xcb_key_symbols_free(symbols);
    if (d == XCB_NO_SYMBOL)
        return 2;

    // The test session's keymap puts Num Lock on Mod2, as the standard keymaps do.
    bool refused = false;
    for (int i = 1; i < argc; ++i) {
        const bool caps = std::strstr(argv[i], "caps"), num = std::strstr(argv[i], "num");
        const auto modifiers = static_cast<std::uint16_t>(XCB_MOD_MASK_1 | (caps ? XCB_MOD_MASK_LOCK : 0)
                                                          | (num ? XCB_MOD_MASK_2 : 0));
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(connection, 0, root, modifiers, d,
                                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t *error = xcb_request_check(connection, cookie)) {
            refused = true;
            std::free(error);
        }
    }
    std::printf("%s\n", refused ? "refused" : "grabbed");
    std::fflush(stdout);

    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    xcb_disconnect(connection);
    return 0;
}
