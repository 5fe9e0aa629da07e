#pragma once
// The thumbnail window: a grid of small pictures of the saved folder, loaded
// page by page behind the progress window.
#include <cstdint>
#include <memory>

#include "platform/form.h"

class frmThumbnails {
public:
    // Creates the window, hidden, and runs its load step.
    frmThumbnails();
    ~frmThumbnails();
    frmThumbnails(const frmThumbnails&) = delete;
    frmThumbnails& operator=(const frmThumbnails&) = delete;

    platform::Form& form() { return form_; }

    void Form_Load();
    // Removes the extra images and returns main_browser to the saved folder.
    void Form_Unload();

private:
    platform::Form form_;
};

// Unloads the thumbnail window when it is loaded, running its unload step.
void unload_thumbnails();
