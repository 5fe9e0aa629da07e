#pragma once
// Creates the frame window, which creates and shows the first browser window.
void start_glimmerbox();
