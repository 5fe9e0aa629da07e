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
#include "platform/store/registry.h"
#include "platform/core/runtime.h"
#include "platform/core/types.h"
#include "support/app_env.h"

namespace actions_test {

using Names = std::vector<std::string>;

class ActionsTest : public test_support::AppTest {
protected:
    static void choose(frmBMPView& b, int entry) {
        auto* combo = static_cast<QComboBox*>(b.Filter1.widget());
        combo->setCurrentIndex(entry);
        emit combo->activated(entry);
    }
    static void double_click(frmBMPView& b, const std::string& name) {
        select_file(b, name);
        auto* list = static_cast<QListWidget*>(b.File1.widget());
        emit list->itemDoubleClicked(list->currentItem());
    }
    static std::optional<std::string> style_value(const std::string& name) {
        return platform::read_string_value("HKEY_CURRENT_USER\\Control Panel\\Desktop", name);
    }
    Names wallpaper_paths() const {
        Names paths;
        for (const auto& w : recorded.wallpapers) paths.push_back(w.first);
        return paths;
    }
    std::string at(const std::string& name) const { return pictures + "/" + name; }
    // Pixels beyond the screen, in each direction.
    static int beyond_w(int px) { return platform::screen_width_twips() / 15 + px; }
    static int beyond_h(int px) { return platform::screen_height_twips() / 15 + px; }
};

}  // namespace actions_test
