#include "platform/display_choice.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(DisplayChoice, LayerShellWhereOfferedElseXWaylandInAWaylandSession) {
    using enum DisplayServer;
    const struct {
        const char* name;
        DisplaySession session;  // platform named, Wayland session, WAYLAND_DISPLAY, DISPLAY
        std::uint32_t offered;   // zwlr_layer_shell_v1's version, 0 for none
        DisplayServer chosen;
        bool asked;  // whether the compositor is asked at all
    } cases[] = {
        {"sway 1.7", {false, true, true, true}, 4, WaylandLayerShell, true},
        {"KWin 5.27", {false, true, true, true}, 3, WaylandLayerShell, true},
        {"a compositor started by hand", {false, false, true, true}, 4, WaylandLayerShell, true},
        {"GNOME's mutter, or built without it", {false, true, true, true}, 0, X11, true},
        {"no XWayland", {false, true, true, false}, 0, AsStarted, true},
        {"a compositor by hand without it", {false, false, true, true}, 0, AsStarted, true},
        {"an X11 session", {false, false, false, true}, 4, AsStarted, false},
        {"a platform named by the user", {true, true, true, true}, 4, AsStarted, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bool asked = false;
        const auto offered = [&] {
            asked = true;
            return c.offered;
        };
        EXPECT_EQ(chooseDisplayServer(c.session, offered), c.chosen);
        EXPECT_EQ(asked, c.asked);
    }
}

}  // namespace
}  // namespace quillo
