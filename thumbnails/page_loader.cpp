// Loading the cells a page needs, behind the progress window, and removing
// the extra images when the window goes.
#include <algorithm>
#include <functional>
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

// Counts the loops on the stack; when the last one of a closed window
// returns, the window may go.
class LoadDepth {
public:
    LoadDepth(int& depth, std::function<void()> on_last) : depth_(depth), on_last_(std::move(on_last)) { ++depth_; }
    ~LoadDepth() {
        if (--depth_ == 0) on_last_();
    }
    LoadDepth(const LoadDepth&) = delete;
    LoadDepth& operator=(const LoadDepth&) = delete;

private:
    int& depth_;
    std::function<void()> on_last_;
};

}  // namespace

void frmThumbnails::Load_Page(const std::int32_t& first_row) {
    LoadDepth depth(load_depth_, [this] {
        if (closed_) finish_close();
    });
    const long long c = cols_per_row;
    const long long r = rows_per_page;
    const long long n = File1.list_count();
    const long long count = static_cast<long long>(Image1.size());
    const long long start = c * first_row > count ? count : c * first_row;
    const long long last = c * (r + first_row) - 1;

    show_progress();
    if (last < count - 1) {
        hide_progress();
        return;
    }

    // The pictures this call will decode, in the loop's order, go to the
    // pool now; the loop takes them one by one.
    const std::string folder = File1.path();
    std::vector<platform::PrefetchJob> jobs;
    for (long long i = start; i <= std::min(last, n - 1); ++i) {
        if (i == 0 || i >= count) {
            jobs.push_back({static_cast<int>(i), platform::join_path(folder, File1.list(static_cast<int>(i)))});
        }
    }
    prefetch_->enqueue(std::move(jobs));

    // From the first picture load on, every failing step is skipped.
    bool skipping = false;
    auto step = [&skipping](auto&& fn) {
        if (skipping) {
            platform::skip_on_error(fn);
        } else {
            fn();
        }
    };

    for (long long i = start; i <= last; ++i) {
        if (i >= n) {
            hide_progress();
            return;
        }
        if (i != 0 && i < static_cast<long long>(Image1.size())) continue;  // loaded before
        const int index = static_cast<int>(i);
        std::string message = words::say(words::kLoadingImage, {std::to_string(i + 1)});
        step([&] { progress_message(message); });
        step([&] { File1.set_list_index(index); });
        platform::DoEvents();
        if (closed_) {
            // The window was closed from inside the pump: its cells are
            // gone; touch nothing more.
            prefetch_->cancel();
            hide_progress();
            return;
        }
        if (Module1::cancel_flag == platform::kTrue) {
            prefetch_->cancel();
            return;
        }
        step([&] {
            if (index != 0) create_cell(index);
        });
        step([&] { Image1[static_cast<size_t>(index)]->set_stretch(true); });
        skipping = true;
        const std::string name = File1.file_name();
        step([&] {
            Image1[static_cast<size_t>(index)]->set_picture(prefetch_->take(index, platform::join_path(folder, name)));
        });
        step([&] { lb_txt[static_cast<size_t>(index)]->set_caption(name); });
        step([&] { Image1[static_cast<size_t>(index)]->set_tooltip(name); });
    }
    hide_progress();
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
        if (closed_) {
            unloaded_.push_back(form_.take(*Image1[k]));
        } else {
            form_.remove(*Image1[k]);
        }
    }
    Image1.resize(1);
}
