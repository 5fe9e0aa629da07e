// A folder far beyond 32767 pictures opens and pages.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "app/module1.h"
#include "support/pictures.h"
#include "thumbnails/frm_thumbnails.h"
#include "thumbnails/thumbs_env.h"

using namespace thumbs_test;

namespace {

class BigFolderTest : public ThumbsTest {};

TEST_F(BigFolderTest, FiftyThousandPicturesOpenAndPagePastSixteenBitIndices) {
    const std::string original = home.write_file("tiny.bmp", test_support::bmp_bytes(2, 2));
    constexpr int kCount = 50000;
    for (int i = 0; i < kCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/b%05d.bmp", i);
        ASSERT_EQ(::link(original.c_str(), (pictures + name).c_str()), 0) << name;
    }
    frmThumbnails& t = open();
    ASSERT_EQ(t.File1.list_count(), kCount);
    EXPECT_EQ(t.VScroll1.max(), 6244);  // 50000 / 8 - 7 + 1
    EXPECT_EQ(t.Image1.size(), 56u);
    // Row 4100 starts at cell 32800, past what 16-bit indices hold.
    t.VScroll1.set_value(4100);
    EXPECT_EQ(t.first_index, 32800);
    ASSERT_EQ(t.Image1.size(), static_cast<size_t>(4107 * 8));
    EXPECT_EQ(t.lb_txt[32800]->caption(), "b32800.bmp");
    EXPECT_FALSE(t.Image1[32855]->picture().empty());
    EXPECT_EQ(messages.back(), "Loading image  32856");
    EXPECT_TRUE(t.Image1[32800]->visible());
    EXPECT_FALSE(t.Image1[32799]->visible());
    t.Image1_Click(32803);
    EXPECT_EQ(t.zoom_index, 32803);
    EXPECT_EQ(t.Image1[32803]->left(), 240);
}

}  // namespace
