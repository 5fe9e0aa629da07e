// Loading the cells a page needs, behind the progress window, and removing
// the extra images when the window goes.
#include <algorithm>
#include <string>
#include <vector>

#include "app/state/module1.h"
#include "app/state/windows.h"
#include "platform/core/error.h"
#include "platform/files/files.h"
#include "platform/pictures/picture_prefetch.h"
#include "platform/core/runtime.h"
#include "platform/core/types.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"
#include "words/catalogue.h"

namespace {

void show_progress() { windows::progress()().form().show(); }

void hide_progress() {
    if (windows::progress().loaded()) windows::progress()().form().hide();
}

}  // namespace

// The steps of one page's loading: until the first picture load an error
// goes to the caller; from then on every failing step is skipped.
class frmThumbnails::Steps {
public:
    template <class F>
    void operator()(F&& fn) {
        if (skipping_) {
            platform::skip_on_error(fn);
        } else {
            fn();
        }
    }
    void skip_failures_from_here() { skipping_ = true; }

private:
    bool skipping_ = false;
};

void frmThumbnails::Load_Page(const std::int32_t& first_row) {
    // While this runs the window's stage says a page loads (inside the load
    // step it stays Opening); a window closed meanwhile goes once this has
    // returned.
    const bool moves_stage = life_.loop_started();
    struct LoopEnd {
        frmThumbnails& window;
        bool moves_stage;
        ~LoopEnd() {
            if (moves_stage && window.life_.loop_returned()) window.finish_close();
        }
    } loop_end{*this, moves_stage};

    const long long c = cols_per_row;
    const long long r = rows_per_page;
    const long long count = static_cast<long long>(Image1.size());
    const long long start = std::min(c * first_row, count);
    const long long last = c * (r + first_row) - 1;
    show_progress();
    if (last < count - 1) {  // loaded before
        hide_progress();
        return;
    }
    const std::string folder = File1.path();
    decode_ahead(folder, start, last);
    switch (load_cells(folder, start, last)) {
        case Loaded::Yes: hide_progress(); break;
        case Loaded::WindowClosed:
            prefetch_->cancel();
            hide_progress();
            break;
        case Loaded::Cancelled:
            // The Cancel button took the progress window with it.
            prefetch_->cancel();
            break;
    }
}

// The pictures the page's loop will decode, in its order, go to the pool
// now; the loop takes them one by one.
void frmThumbnails::decode_ahead(const std::string& folder, long long start, long long last) {
    const long long n = File1.list_count();
    const long long count = static_cast<long long>(Image1.size());
    std::vector<platform::PrefetchJob> jobs;
    for (long long i = start; i <= std::min(last, n - 1); ++i) {
        if (i == 0 || i >= count) {
            jobs.push_back({static_cast<int>(i), platform::join_path(folder, File1.list(static_cast<int>(i)))});
        }
    }
    prefetch_->enqueue(std::move(jobs));
}

// Loads the cells from start to last, up to the last file, that are not
// loaded yet; cell 0 is always loaded again.
frmThumbnails::Loaded frmThumbnails::load_cells(const std::string& folder, long long start, long long last) {
    const long long n = File1.list_count();
    Steps step;
    for (long long i = start; i <= std::min(last, n - 1); ++i) {
        if (i != 0 && i < static_cast<long long>(Image1.size())) continue;  // loaded before
        const Loaded loaded = load_cell(i, folder, step);
        if (loaded != Loaded::Yes) return loaded;
    }
    return Loaded::Yes;
}

// Announces cell i and serves pending events; unless the window was closed
// or the user cancelled meanwhile, makes the cell and loads its picture.
frmThumbnails::Loaded frmThumbnails::load_cell(long long i, const std::string& folder, Steps& step) {
    const int index = static_cast<int>(i);
    std::string message = words::say(words::kLoadingImage, {std::to_string(i + 1)});
    step([&] { progress_message(message); });
    step([&] { File1.set_list_index(index); });
    platform::DoEvents();
    // Closed from inside the pump: its cells are gone; touch nothing more.
    if (life_.closed()) return Loaded::WindowClosed;
    if (Module1::cancel_flag == platform::kTrue) return Loaded::Cancelled;
    step([&] {
        if (index != 0) create_cell(index);
    });
    step([&] { Image1[static_cast<size_t>(index)]->set_stretch(true); });
    step.skip_failures_from_here();
    const std::string name = File1.file_name();
    step([&] {
        Image1[static_cast<size_t>(index)]->set_picture(prefetch_->take(index, platform::join_path(folder, name)));
    });
    step([&] { lb_txt[static_cast<size_t>(index)]->set_caption(name); });
    step([&] { Image1[static_cast<size_t>(index)]->set_tooltip(name); });
    return Loaded::Yes;
}

// A new cell: hidden, with element 0's size and settings. A label left from
// an earlier removal of the images is used again.
void frmThumbnails::create_cell(int i) {
    const platform::PictureBox& image0 = *Image1[0];
    auto& image = form_.add<platform::PictureBox>("Image1");
    image.set_visible(false);
    image.move(image0.left(), image0.top(), image0.width(), image0.height());
    image.set_stretch(image0.stretch());
    image.on_click = [this, i] { Image1_Click(i); };
    Image1.push_back(&image);
    if (static_cast<int>(lb_txt.size()) <= i) {
        const platform::Label& label0 = *lb_txt[0];
        auto& label = form_.add<platform::Label>("lb_txt");
        label.set_visible(false);
        label.move(label0.left(), label0.top(), label0.width(), label0.height());
        label.fit_font_to_height();
        lb_txt.push_back(&label);
    } else {
        lb_txt[static_cast<size_t>(i)]->set_visible(false);
    }
}

void frmThumbnails::Unload_Images() {
    const size_t h = Image1.size() - 1;
    for (size_t k = 1; k <= h; ++k) {
        if (life_.closed()) {
            unloaded_.push_back(form_.take(*Image1[k]));
        } else {
            form_.remove(*Image1[k]);
        }
    }
    Image1.resize(1);
}
