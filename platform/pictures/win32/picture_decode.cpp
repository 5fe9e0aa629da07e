#include "platform/pictures/win32/picture_decode.h"

#include "platform/pictures/decode_budget.h"
#include "platform/pictures/win32/upright.h"
#include "platform/pictures/win32/wic_decode.h"
#include "words/catalogue.h"

namespace platform::win32 {

std::uint64_t decode_bytes(const PictureFile& file, std::uint64_t target_pixels) {
    return file.header().decoder_bytes + target_pixels * 8;
}

std::shared_ptr<const PictureData> decode_upright(const PictureFile& file, int width, int height) {
    DecodeBudget::Reservation reservation;
    if (!decode_budget().reserve(decode_bytes(file, std::uint64_t(width) * std::uint64_t(height)), reservation)) {
        file.refuse(words::say(words::kTooLargeForMemory,
                               {words::say(words::kPixelSize, {std::to_string(file.header().width),
                                                               std::to_string(file.header().height)})}));
    }
    const bool turned = file.quarter_turned();
    PictureData stored = decode_pixels(file, turned ? height : width, turned ? width : height);
    return std::make_shared<const PictureData>(upright(std::move(stored), file.header().orientation));
}

}  // namespace platform::win32
