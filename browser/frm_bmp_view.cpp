// The browser window: its controls, their layout and the load step.
#include "browser/frm_bmp_view.h"

#include "app/state/module1.h"
#include "platform/core/runtime.h"
#include "words/catalogue.h"

using platform::Orientation;

frmBMPView::frmBMPView(platform::Form& frame)
    : form_(platform::FormKind::Child, &frame),
      File1(form_.add<platform::FileList>("File1")),
      Drive1(form_.add<platform::DriveList>("Drive1")),
      Dir1(form_.add<platform::DirList>("Dir1")),
      Filter1(form_.add<platform::ComboBox>("Filter1")),
      VScroll1(form_.add<platform::ScrollBar>("VScroll1", Orientation::Vertical)),
      HScroll1(form_.add<platform::ScrollBar>("HScroll1", Orientation::Horizontal)),
      Image1(form_.add<platform::PictureBox>("Image1")),
      Timer1(form_.add_timer()) {
    form_.set_caption(words::say(words::kBrowserCaptionLoading));
    form_.set_client_size(9480, 6660);
    File1.move(60, 135, 1935, 3405);
    Drive1.move(60, 3550, 1935, 315);
    Dir1.move(60, 3875, 1935, 1890);
    Filter1.move(60, 5775, 1935, 315);
    VScroll1.move(9210, 0, 300, 6135);
    HScroll1.move(6405, 6315, 2910, 285);
    Image1.move(2130, 135, 6675, 6015);
    // The picture lies beneath the lists, the selector and the bars.
    Image1.send_to_back();
    form_.set_tab_order({&File1, &Drive1, &Dir1, &Filter1, &VScroll1, &HScroll1});
    for (auto* bar : {&VScroll1, &HScroll1}) {
        bar->set_small_change(10);
        bar->set_large_change(100);
    }

    File1.on_click = [this] { File1_Click(); };
    File1.on_dbl_click = [this] { File1_DblClick(); };
    File1.on_key_down = [this](std::int16_t& key, int shift) { File1_KeyDown(key, shift); };
    Drive1.on_change = [this] { Drive1_Change(); };
    Dir1.on_change = [this] { Dir1_Change(); };
    Dir1.on_click = [this] { Dir1_Click(); };
    Filter1.on_click = [this] { Filter1_Click(); };
    HScroll1.on_change = [this] { HScroll1_Change(); };
    HScroll1.on_scroll = [this] { HScroll1_Scroll(); };
    VScroll1.on_change = [this] { VScroll1_Change(); };
    VScroll1.on_scroll = [this] { VScroll1_Scroll(); };
    Image1.on_click = [this] { Image1_Click(); };
    Timer1.on_timer = [this] { Timer1_Timer(); };
    form_.on_close = [this] { Form_Unload(); };

    Form_Load();
}

frmBMPView::~frmBMPView() = default;

void frmBMPView::Form_Load() {
    image_top = static_cast<std::int32_t>(platform::round_half_even(Image1.top()));
    image_left = static_cast<std::int32_t>(platform::round_half_even(Image1.left()));
    Module1::view_width = static_cast<std::int32_t>(platform::round_half_even(form_.width()));
    Module1::view_height = static_cast<float>(form_.height());
    // Read-only pictures stay listed so that they can be looked at.
    File1.set_show_read_only(true);
    // The first entry names the picture kinds (platform/pictures/picture_kinds.h).
    Filter1.add_item(words::say(words::kChoiceGraphicsFiles));
    Filter1.add_item(words::say(words::kChoiceAutoShow));
    Filter1.add_item(words::say(words::kChoiceCenter));
    Filter1.add_item(words::say(words::kChoiceTile));
    Filter1.add_item(words::say(words::kChoiceThumbnails));
    Filter1.set_list_index(0);
    VScroll1.set_left(platform::screen_width_twips() - VScroll1.width());
    VScroll1.set_height(HScroll1.top() - form_.top());
    Hide_Bars();
}

// Closing any browser window ends the program at once.
void frmBMPView::Form_Unload() { platform::end_program(); }
