#pragma once
// The browser window: linked drive, folder and file lists, the action
// selector, the picture area with its scroll bars, and the slideshow timer.
#include <cstdint>
#include <string>

#include "platform/controls/form.h"
#include "platform/core/types.h"
#include "platform/pictures/neighbour_pictures.h"

class frmBMPView {
public:
    // Creates the window as a child of the frame and runs its load step; the
    // caller shows it.
    explicit frmBMPView(platform::Form& frame);
    ~frmBMPView();
    frmBMPView(const frmBMPView&) = delete;
    frmBMPView& operator=(const frmBMPView&) = delete;

    platform::Form& form() { return form_; }

    // Public procedures.
    void Hide_and_Show(platform::Bool16 b_auto);
    void Hide_Bars();
    void Restore_Dir();
    void Load_Wallpaper();

    // Event handlers.
    void Form_Load();
    void Form_Unload();
    void File1_Click();
    void File1_DblClick();
    void File1_KeyDown(std::int16_t& KeyCode, int Shift);
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_Click();
    void Filter1_Click();
    void HScroll1_Change();
    void HScroll1_Scroll();
    void VScroll1_Change();
    void VScroll1_Scroll();
    void Image1_Click();
    void Timer1_Timer();

private:
    platform::Form form_;

public:
    // Controls, in tab order first.
    platform::FileList& File1;
    platform::DriveList& Drive1;
    platform::DirList& Dir1;
    platform::ComboBox& Filter1;
    platform::ScrollBar& VScroll1;
    platform::ScrollBar& HScroll1;
    platform::PictureBox& Image1;
    platform::Timer& Timer1;

    // Window-level variables.
    std::int32_t image_top = 0;
    std::int32_t image_left = 0;
    std::int32_t file_index = 0;
    std::int32_t pic_width = 0;
    std::int32_t pic_height = 0;
    platform::Bool16 full_window = platform::kFalse;
    // The entries after and before the one shown, decoded ahead.
    platform::NeighbourPictures neighbour_pictures;

private:
    void Tile_Wallpaper();
    void Center_Wallpaper();
    void show_thumbnail_view();
    void decode_neighbours();
};
