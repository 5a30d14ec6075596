#pragma once

namespace quillo {

// Asks Qt for the display server that lets the main window stay on top at its
// place (platform/display_choice.h). Called before the application object.
void chooseDisplayServer();

// Takes back the variables set for Qt alone once Qt has read them, so that the
// programs Quillo starts (the editor) choose their own way to the display.
void forgetDisplayChoice();

}  // namespace quillo
