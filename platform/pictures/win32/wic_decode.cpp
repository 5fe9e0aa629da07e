#include "platform/pictures/win32/wic_decode.h"
#include "words/catalogue.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace platform::win32 {
namespace {

// Rows copied per call: WIC's converters and scalers hold a band's source
// rows, never the whole picture.
constexpr int kBandRows = 128;

class Decode {
public:
    explicit Decode(const PictureFile& file) : file_(file) {}

    // Fails the decode unless the call succeeded.
    void check(HRESULT hr, const words::Text& step_failed) const {
        if (SUCCEEDED(hr)) return;
        char code[16];
        std::snprintf(code, sizeof code, "%08lx", static_cast<unsigned long>(hr));
        file_.refuse(words::say(step_failed, {code}));
    }

    // Copies the source's rect (its whole width) into rows of `stride` pixels at `to`.
    void copy(IWICBitmapSource* source, int left, int top, int width, int height, std::uint32_t* to,
              int stride) const {
        for (int y = 0; y < height; y += kBandRows) {
            const int rows = std::min(kBandRows, height - y);
            const WICRect rect{left, top + y, width, rows};
            const UINT bytes = UINT(stride) * 4 * UINT(rows - 1) + UINT(width) * 4;
            check(source->CopyPixels(&rect, UINT(stride) * 4, bytes,
                                     reinterpret_cast<BYTE*>(to + std::size_t(y) * std::size_t(stride))),
                  words::kDecoderCannotRead);
        }
    }

private:
    const PictureFile& file_;
};

}  // namespace

PictureData decode_pixels(const PictureFile& file, int width, int height) {
    join_com_on_this_thread();
    const Decode d(file);
    const PictureHeader& header = file.header();
    Com<IWICImagingFactory> factory;
    d.check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                               factory.put_void()),
            words::kDecoderCannotStart);
    Com<IWICBitmapDecoder> decoder;
    d.check(
        factory->CreateDecoderFromStream(file.stream(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.put()),
        words::kDecoderCannotOpen);
    UINT frames = 0;
    d.check(decoder->GetFrameCount(&frames), words::kDecoderCannotCount);
    if (UINT(header.image_index) >= frames) file.refuse(words::say(words::kHeaderAndImagesDisagree));
    Com<IWICBitmapFrameDecode> frame;
    d.check(decoder->GetFrame(UINT(header.image_index), frame.put()), words::kDecoderCannotOpenImage);
    // The decoder must find the size our own reading reserved for.
    UINT fw = 0, fh = 0;
    d.check(frame->GetSize(&fw, &fh), words::kDecoderCannotSize);
    if (int(fw) != header.frame_width || int(fh) != header.frame_height)
        file.refuse(words::say(words::kHeaderTellsOtherSize,
                               {std::to_string(header.frame_width), std::to_string(header.frame_height),
                                std::to_string(fw), std::to_string(fh)}));
    Com<IWICFormatConverter> converter;
    d.check(factory->CreateFormatConverter(converter.put()), words::kDecoderCannotConvert);
    d.check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                  0.0, WICBitmapPaletteTypeCustom),
            words::kDecoderCannotConvert);
    IWICBitmapSource* source = converter.get();

    // A GIF frame smaller than its screen, or placed off its corner, is put
    // on the screen, transparent around it.
    PictureData screen;
    Com<IWICBitmap> placed;
    const bool place = header.frame_width != header.width || header.frame_height != header.height ||
                       header.frame_left != 0 || header.frame_top != 0;
    if (place) {
        screen.width = header.width;
        screen.height = header.height;
        screen.pixels.assign(std::size_t(screen.width) * std::size_t(screen.height), 0);
        const int w = std::min(header.frame_width, header.width - std::min(header.frame_left, header.width));
        const int h = std::min(header.frame_height, header.height - std::min(header.frame_top, header.height));
        if (w > 0 && h > 0) {
            std::vector<std::uint32_t> rows(std::size_t(header.frame_width) * std::size_t(h));
            d.copy(source, 0, 0, header.frame_width, h, rows.data(), header.frame_width);
            for (int y = 0; y < h; ++y)
                std::memcpy(&screen.pixels[std::size_t(header.frame_top + y) * std::size_t(screen.width) +
                                           std::size_t(header.frame_left)],
                            &rows[std::size_t(y) * std::size_t(header.frame_width)], std::size_t(w) * 4);
        }
        if (width == screen.width && height == screen.height) return screen;
        d.check(factory->CreateBitmapFromMemory(
                    UINT(screen.width), UINT(screen.height), GUID_WICPixelFormat32bppPBGRA, UINT(screen.width) * 4,
                    UINT(screen.pixels.size() * 4), reinterpret_cast<BYTE*>(screen.pixels.data()), placed.put()),
                words::kDecoderCannotPlace);
        source = placed.get();
    }

    Com<IWICBitmapScaler> scaler;
    if (width != header.width || height != header.height) {
        d.check(factory->CreateBitmapScaler(scaler.put()), words::kDecoderCannotScale);
        d.check(scaler->Initialize(source, UINT(width), UINT(height), WICBitmapInterpolationModeFant), words::kDecoderCannotScale);
        source = scaler.get();
    }
    PictureData out;
    out.width = width;
    out.height = height;
    out.pixels.resize(std::size_t(width) * std::size_t(height));
    d.copy(source, 0, 0, width, height, out.pixels.data(), width);
    return out;
}

}  // namespace platform::win32
