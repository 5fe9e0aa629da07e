// The thumbnail window: its controls, its load and unload steps, and how it
// goes away.
#include "thumbnails/frm_thumbnails.h"

#include <algorithm>
#include <utility>

#include "app/state/module1.h"
#include "app/state/windows.h"
#include "platform/pictures/cell_picture.h"
#include "platform/pictures/picture_kinds.h"
#include "platform/pictures/picture_prefetch.h"
#include "platform/core/runtime.h"
#include "platform/core/types.h"
#include "thumbnails/grid_constants.h"
#include "words/catalogue.h"

using thumbs::Answer;
using thumbs::Request;
using thumbs::Stage;

namespace {

// Windows closed while one of their pages was loading: they live on, out of
// the reference, until that loop has returned.
std::vector<std::unique_ptr<frmThumbnails>>& retired() {
    // Never destroyed: a window must not outlive the toolkit.
    static auto* windows = new std::vector<std::unique_ptr<frmThumbnails>>;
    return *windows;
}

// The window whose load step is running: the reference learns of it only
// once its constructor has returned.
frmThumbnails* g_opening = nullptr;

// A "Thumbnail View" that came in while a window was opening.
std::function<void()>& deferred_view() {
    static auto* request = new std::function<void()>;
    return *request;
}

// The window a new request is for: the one being opened, else the one there is.
frmThumbnails* current_window() { return g_opening ? g_opening : windows::thumbnails().get(); }

}  // namespace

frmThumbnails::frmThumbnails()
    : form_(platform::FormKind::TopLevel),
      VScroll1(form_.add<platform::ScrollBar>("VScroll1", platform::Orientation::Vertical)),
      File1(form_.add<platform::FileList>("File1")) {
    form_.set_caption(words::say(words::kThumbnailsCaption));
    form_.set_client_size(8055, 6375);
    form_.set_window_state(platform::kStateMaximized);

    VScroll1.move(7710, 255, thumbs::kBarWidth, 3255);
    VScroll1.set_visible(false);
    VScroll1.set_small_change(1);
    VScroll1.on_change = [this] { VScroll1_Change(); };
    VScroll1.on_scroll = [this] { VScroll1_Scroll(); };

    File1.move(600, 120, 1215, 480);
    File1.set_visible(false);
    File1.set_pattern(std::string(platform::kPicturePattern));

    auto& image0 = form_.add<platform::PictureBox>("Image1");
    image0.move(thumbs::kFirstLeft, thumbs::kFirstTop, thumbs::kImageSize, thumbs::kImageSize);
    image0.set_stretch(false);
    image0.on_click = [this] { Image1_Click(0); };
    Image1.push_back(&image0);
    auto& label0 = form_.add<platform::Label>("lb_txt");
    label0.move(thumbs::kFirstLeft, thumbs::kFirstLabelTop, thumbs::kLabelWidth, thumbs::kLabelHeight);
    label0.set_caption("");
    label0.fit_font_to_height();
    lb_txt.push_back(&label0);

    cell_w_px_ = platform::twips_to_device_px_x(thumbs::kImageSize);
    cell_h_px_ = platform::twips_to_device_px_y(thumbs::kImageSize);
    prefetch_ = std::make_unique<platform::PicturePrefetch>(cell_w_px_, cell_h_px_);

    form_.on_close = [this] { close_window(); };
    frmThumbnails* const outer = std::exchange(g_opening, this);
    try {
        Form_Load();
    } catch (...) {
        g_opening = outer;
        throw;
    }
    g_opening = outer;
    life_.load_step_returned();
}

frmThumbnails::~frmThumbnails() = default;

void frmThumbnails::Form_Load() {
    form_.set_top(0);
    form_.set_left(0);
    zoom_index = kNoZoom;
    File1.set_pattern(std::string(platform::kPicturePattern));
    File1.set_path(Module1::cur_dir);
    Init_Grid();
}

void frmThumbnails::Form_Unload() {
    Unload_Images();
    windows::main_browser_Restore_Dir();
    // The images go only now, and their memory back to the system: freed
    // before the browser's new list, that list's many small entries would
    // be spread over the freed pages and keep them resident.
    unloaded_.clear();
    platform::release_free_memory();
}

void frmThumbnails::close_window() {
    if (life_.answer(Request::Close) == Answer::Ignored) return;
    life_.close();
    prefetch_->cancel();
    // The window goes whatever the unload step meets; its error is then
    // passed on.
    std::exception_ptr failure;
    try {
        Form_Unload();
    } catch (...) {
        failure = std::current_exception();
    }
    form_.close_silently();
    auto& ref = windows::thumbnails();
    if (ref.get() == this) {
        if (life_.stage() == Stage::ClosedLoading) {
            // A loop of ours is still on the stack, inside its event pump:
            // keep the object until it has returned (see finish_close).
            retired().push_back(ref.take());
        } else {
            ref.release();
        }
    }
    if (failure) std::rethrow_exception(failure);
}

// The last loading loop of a closed window has returned: the object may go
// once the current event is over.
void frmThumbnails::finish_close() {
    frmThumbnails* self = this;
    platform::post([self] {
        auto& list = retired();
        std::erase_if(list, [self](const std::unique_ptr<frmThumbnails>& w) { return w.get() == self; });
    });
}

void unload_thumbnails() {
    // A window still loading its first page is outside the reference: its
    // loop stops at its next event pump and whoever is creating it finds it
    // closed.
    if (frmThumbnails* window = current_window()) window->close_window();
}

Answer thumbnail_view_answer() {
    const frmThumbnails* window = current_window();
    return window ? window->life().answer(Request::Open) : Answer::Now;
}

void defer_thumbnail_view(std::function<void()> ask_again) { deferred_view() = std::move(ask_again); }

bool let_go_if_closed_while_opening() {
    auto& ref = windows::thumbnails();
    if (!ref.loaded() || !ref().closed()) return false;
    ref.release();
    if (auto ask_again = std::exchange(deferred_view(), nullptr)) ask_again();
    return true;
}
