#pragma once
// Connects the windows that reach each other across the build's layers (the
// frame's form and main_browser for the windows below them). Run once at
// start, before any window is created.
void wire_windows();

// Creates the frame window, which creates and shows the first browser window.
void start_glimmerbox();
