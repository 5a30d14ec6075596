#pragma once

namespace quillo {

// Watches the opening of the desktop, QApplication's constructor. Where Qt
// can open no platform (no X11 display, say) it would print advice to
// reinstall and abort with a core dump; instead one line on standard error
// says what is missing, and the program exits with 1. What Qt says while the
// desktop opens is held back until it is open, then passed on.
class DesktopCheck {
public:
    DesktopCheck();
    ~DesktopCheck();
    DesktopCheck(const DesktopCheck&) = delete;
    DesktopCheck& operator=(const DesktopCheck&) = delete;

    // The desktop is open: stop watching and pass on what was held back.
    void passed();
};

}  // namespace quillo
