// Every window as it opens: its controls lie inside it and clear of one another, each caption is
// there and fits its control, and Tab visits the controls in order.
#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

#include "app/state/windows.h"
#include "rename/frm_new_name.h"
#include "support/app_env.h"
#include "support/pictures.h"
#include "thumbnails/frm_progress.h"
#include "thumbnails/frm_thumbnails.h"

using namespace test_support;

namespace {

// The caption a label or a button shows, or none for other controls.
std::optional<QString> caption_of(const QWidget* w) {
    if (const auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    return std::nullopt;
}

void check_layout(const platform::Form& form, const Names& tab_order) {
    QWidget* client = form.client();
    std::vector<QWidget*> shown;
    for (QWidget* w : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!w->objectName().isEmpty() && w->isVisibleTo(client)) shown.push_back(w);
    ASSERT_FALSE(shown.empty());
    for (QWidget* w : shown) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_TRUE(client->rect().contains(w->geometry())) << w->geometry().x() << "," << w->geometry().y();
        for (QWidget* other : shown)
            EXPECT_TRUE(w == other || !w->geometry().intersects(other->geometry())) << other->objectName().toStdString();
        if (const auto caption = caption_of(w)) {
            EXPECT_FALSE(caption->isEmpty());
            EXPECT_LE(w->fontMetrics().horizontalAdvance(*caption), w->contentsRect().width());
        }
    }
    Names visited;
    for (QWidget* w = client->nextInFocusChain(); w != client; w = w->nextInFocusChain())
        if (w->parentWidget() == client && w->isVisibleTo(client) && (w->focusPolicy() & Qt::TabFocus))
            visited.push_back(w->objectName().toStdString());
    EXPECT_EQ(visited, tab_order);
}

using LayoutTest = AppTest;

TEST_F(LayoutTest, EveryWindowsControlsFitInsideItApartWithTheirCaptionsAndTabInOrder) {
    home.write_file("pictures/a.jpg", jpeg_bytes(40, 30));
    home.write_file("pictures/b.bmp", bmp_bytes(20, 10));
    start_program(pictures);
    frmBMPView& b = start_browser();
    const Names browser_tabs = {"File1", "Drive1", "Dir1", "Filter1"};
    for (const char* state : {"browser", "picture alone", "browser again"}) {
        SCOPED_TRACE(state);
        check_layout(b.form(), b.File1.visible() ? browser_tabs : Names{});
        b.Image1_Click();  // the picture takes the whole window, or gives it back
    }
    double_click(b, "a.jpg");
    {
        SCOPED_TRACE("new name");
        check_layout(windows::new_name()().form(), {"txtNewName", "cmdOK", "cmdCancel"});
    }
    windows::new_name()().cmdCancel.press();
    {
        SCOPED_TRACE("progress");
        std::string message = "Loading image  32767";
        windows::progress()().Label_Changed(message);
        check_layout(windows::progress()().form(), {"cmdCancel"});
        windows::progress()().cmdCancel.press();
    }
    choose(b, 4);  // "Thumbnail View"
    ASSERT_TRUE(windows::thumbnails().loaded());
    {
        SCOPED_TRACE("thumbnails");
        check_layout(windows::thumbnails()().form(), {});
    }
}

}  // namespace
