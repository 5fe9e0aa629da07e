#pragma once
// Sets up the process once at start, before any window is created: how
// pictures are decoded (large ones included), and the windows that reach each
// other across the build's layers (the frame's form and main_browser for the
// windows below them).
void prepare_glimmerbox();

// Creates the frame window, which creates and shows the first browser window.
void start_glimmerbox();
