#pragma once
// Driving the browser's verbs as a person would: choosing selector entries,
// double-clicking files, and reading back what reached the desktop.
#include <QComboBox>
#include <QListWidget>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "browser/frm_bmp_view.h"
#include "platform/registry.h"
#include "platform/runtime.h"
#include "support/app_env.h"

namespace actions_test {

inline const std::string kDesktopKey = "HKEY_CURRENT_USER\\Control Panel\\Desktop";

class ActionsTest : public test_support::AppTest {
protected:
    // Picks an entry from the selector's list.
    static void choose(frmBMPView& b, int entry) {
        auto* combo = static_cast<QComboBox*>(b.Filter1.widget());
        combo->setCurrentIndex(entry);
        emit combo->activated(entry);
    }

    // Selects the file, then double-clicks it.
    static void double_click(frmBMPView& b, const std::string& name) {
        select_file(b, name);
        auto* list = static_cast<QListWidget*>(b.File1.widget());
        ASSERT_NE(list->currentItem(), nullptr);
        emit list->itemDoubleClicked(list->currentItem());
    }

    static std::optional<std::string> style_value(const std::string& name) {
        return platform::read_string_value(kDesktopKey, name);
    }

    // The paths handed to the desktop, in order.
    std::vector<std::string> wallpaper_paths() const {
        std::vector<std::string> paths;
        for (const auto& w : recorded.wallpapers) paths.push_back(w.first);
        return paths;
    }

    // The picture's own size in pixels, as twips at 96 DPI.
    static int twips(int px) { return px * 15; }
    static int screen_px_w() { return platform::screen_width_twips() / 15; }
    static int screen_px_h() { return platform::screen_height_twips() / 15; }

    // A settings store that cannot be written: its folder would have to be
    // made under a regular file, which fails even for root.
    void make_store_unwritable() {
        home.write_file("not_a_folder", "x");
        services.settings_store_path = home.file("not_a_folder/glimmerbox/registry.reg");
        platform::install_services(services);
    }
};

}  // namespace actions_test
