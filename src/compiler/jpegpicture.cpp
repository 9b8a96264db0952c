#include "jpegpicture.h"

#include <turbojpeg.h>

#include <memory>

namespace {

struct TDecoderDeleter {
    void operator()(void *handle) const { tjDestroy(handle); }
};

} // namespace

TRgbPicture DecodeJpeg(std::string_view bytes)
{
    TRgbPicture picture;
    std::unique_ptr<void, TDecoderDeleter> decoder(tjInitDecompress());
    if (!decoder) {
        picture.Error = tjGetErrorStr2(nullptr);
        return picture;
    }
    auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto size = static_cast<unsigned long>(bytes.size());
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(decoder.get(), data, size, &width, &height, &subsampling, &colourspace) != 0) {
        picture.Error = tjGetErrorStr2(decoder.get());
        return picture;
    }
    if (width <= 0 || height <= 0) {
        picture.Error = "the picture has no pixels";
        return picture;
    }
    if (width > MaxPictureSide || height > MaxPictureSide) {
        picture.Error = "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels; at most " + std::to_string(MaxPictureSide) + " x " +
                        std::to_string(MaxPictureSide) + " are shown";
        return picture;
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    // LIMITSCANS stops progressive files built to make the decoder loop for minutes.
    if (tjDecompress2(decoder.get(), data, size, pixels.data(), width, width * 3, height, TJPF_RGB,
                      TJFLAG_LIMITSCANS) != 0) {
        if (tjGetErrorCode(decoder.get()) != TJERR_WARNING) {
            picture.Error = tjGetErrorStr2(decoder.get());
            return picture;
        }
        picture.Warning = tjGetErrorStr2(decoder.get());
    }
    picture.Width = width;
    picture.Height = height;
    picture.Pixels = std::move(pixels);
    return picture;
}
