#pragma once
// The thumbnail window: a grid of small pictures of the saved folder, loaded
// page by page behind the progress window.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/form.h"
#include "platform/pictures/picture.h"

namespace platform {
class PicturePrefetch;
}

class frmThumbnails {
public:
    // Creates the window, hidden, and runs its load step.
    frmThumbnails();
    ~frmThumbnails();
    frmThumbnails(const frmThumbnails&) = delete;
    frmThumbnails& operator=(const frmThumbnails&) = delete;

    platform::Form& form() { return form_; }

    // Event handlers.
    void Form_Load();
    // Removes the extra images and returns main_browser to the saved folder.
    void Form_Unload();
    void VScroll1_Change();
    void VScroll1_Scroll();
    void Image1_Click(int Index);

    // Page routines.
    void Show_Page(const std::int32_t& first_row);
    void Hide_Page();
    void Load_Page(const std::int32_t& first_row);
    void Unload_Images();

    // Closes the window as the user's close box does: the unload step runs,
    // the window goes away and the reference forgets it. While a page is
    // loading, the loading stops at its next event pump and the object lives
    // on until that loop has returned.
    void close_window();

    bool loading() const { return load_depth_ > 0; }
    bool closed() const { return closed_; }

private:
    platform::Form form_;

public:
    // Controls. Image1 and lb_txt are control arrays: element i is the cell
    // of the file at position i of File1.
    platform::ScrollBar& VScroll1;
    platform::FileList& File1;
    std::vector<platform::PictureBox*> Image1;
    std::vector<platform::Label*> lb_txt;

    // zoom_index when no thumbnail is enlarged: no cell has a negative index
    // (a folder may hold far more than 9,999 pictures).
    static constexpr std::int32_t kNoZoom = -1;

    // Window-level variables.
    std::int32_t rows_per_page = 0;
    std::int32_t cols_per_row = 0;
    std::int32_t first_index = 0;
    std::int32_t zoom_index = kNoZoom;
    float saved_top = 0, saved_left = 0, saved_width = 0;
    std::int32_t saved_height = 0;


private:
    void Init_Grid();
    void change_page();
    void serve_page_change();
    void create_cell(int i);
    void show_reduced_copy(int i);
    void finish_close();

    std::unique_ptr<platform::PicturePrefetch> prefetch_;
    // Images taken out by Unload_Images while the window closes, freed once
    // the browser has listed its folder again (see Form_Unload).
    std::vector<std::unique_ptr<platform::Control>> unloaded_;
    // Cell box in device pixels, for the reduced copies.
    int cell_w_px_ = 1, cell_h_px_ = 1;
    // The reduced copy of the enlarged cell while it shows its full picture.
    platform::Picture zoom_reduced_;
    bool zoom_full_shown_ = false;
    int load_depth_ = 0;          // Load_Page calls on the stack
    bool page_requested_ = false;  // a page change came in while loading
    bool closed_ = false;          // the unload step has run
};

// Unloads the thumbnail window when it is loaded, running its unload step;
// also a window still in its load step.
void unload_thumbnails();
// True while a thumbnail window runs its load step (its first page loads).
bool thumbnails_in_load_step();
