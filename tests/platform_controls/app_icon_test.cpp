// The program's own icon: set by the application object, at each of the
// sizes it is drawn in, and carried by every window.
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

#include "platform/form.h"
#include "support/app_env.h"

namespace {

class AppIconTest : public test_support::AppTest {
protected:
    AppIconTest() { platform::install_services(services); }
};

TEST_F(AppIconTest, EveryWindowCarriesTheProgramsIconAtEachSize) {
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (const int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(sizes.contains(QSize(size, size)));
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        // Drawn, not blank: the frame's centre is opaque and the corners
        // around the frame are clear.
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
        EXPECT_EQ(qAlpha(image.pixel(0, size - 1)), 0);
    }

    platform::Form form(platform::FormKind::TopLevel);
    form.show();
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible()) continue;
        ++windows;
        EXPECT_EQ(w->windowIcon().cacheKey(), icon.cacheKey());
    }
    EXPECT_GE(windows, 1);
    form.close_silently();
}

}  // namespace
