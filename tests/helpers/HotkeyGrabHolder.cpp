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
#include <vector>

static xcb_keycode_t firstKeycode(xcb_key_symbols_t *symbols, xcb_keysym_t keysym)
{
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, keysym);
    const xcb_keycode_t code = codes ? codes[0] : XCB_NO_SYMBOL;
    std::free(codes);
    return code;
}

static std::uint16_t numLockMask(xcb_connection_t *connection, xcb_keycode_t numLock)
{
    std::uint16_t mask = 0;
    auto *reply = xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr);
    if (!reply)
        return 0;
    const xcb_keycode_t *keys = xcb_get_modifier_mapping_keycodes(reply);
    for (int modifier = 3; modifier < 8 && mask == 0; ++modifier) {
        for (int slot = 0; slot < reply->keycodes_per_modifier; ++slot) {
            if (numLock != XCB_NO_SYMBOL && keys[modifier * reply->keycodes_per_modifier + slot] == numLock)
                mask = static_cast<std::uint16_t>(1u << modifier);
        }
    }
    std::free(reply);
    return mask;
}

int main(int argc, char **argv)
{
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection))
        return 2;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;

    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(connection);
    const xcb_keycode_t d = firstKeycode(symbols, XK_d);
    const xcb_keycode_t numLock = firstKeycode(symbols, XK_Num_Lock);
    xcb_key_symbols_free(symbols);
    if (d == XCB_NO_SYMBOL)
        return 2;
    const std::uint16_t num = numLockMask(connection, numLock);

    std::vector<xcb_void_cookie_t> cookies;
    for (int i = 1; i < argc; ++i) {
        std::uint16_t locks = 0;
        if (std::strcmp(argv[i], "caps") == 0)
            locks = XCB_MOD_MASK_LOCK;
        else if (std::strcmp(argv[i], "num") == 0)
            locks = num;
        else if (std::strcmp(argv[i], "capsnum") == 0)
            locks = static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | num);
        cookies.push_back(xcb_grab_key_checked(connection, 0, root, static_cast<std::uint16_t>(XCB_MOD_MASK_1 | locks),
                                               d, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    bool refused = false;
    for (xcb_void_cookie_t cookie : cookies) {
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
