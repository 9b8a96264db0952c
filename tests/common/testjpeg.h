// JPEG pictures made at test time with the TurboJPEG encoder.
#pragma once

#include <QByteArray>

#include <turbojpeg.h>
#include <vector>

// A width x height picture of one grey level.
inline QByteArray MakeJpeg(int width, int height, unsigned char grey = 128)
{
    std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3, grey);
    tjhandle encoder = tjInitCompress();
    unsigned char *out = nullptr;
    unsigned long size = 0;
    tjCompress2(encoder, rgb.data(), width, width * 3, height, TJPF_RGB, &out, &size, TJSAMP_444, 90, 0);
    QByteArray jpeg(reinterpret_cast<const char *>(out), qsizetype(size));
    tjFree(out);
    tjDestroy(encoder);
    return jpeg;
}

// The same picture cut a few bytes into its picture data: the decoder warns
// that the data ends early and fills in the rest.
inline QByteArray MakeCutJpeg(int width, int height)
{
    const QByteArray jpeg = MakeJpeg(width, height);
    const qsizetype scan = jpeg.indexOf(QByteArray("\xFF\xDA", 2));
    const int scanHeader = (static_cast<unsigned char>(jpeg[scan + 2]) << 8) | static_cast<unsigned char>(jpeg[scan + 3]);
    return jpeg.left(scan + 2 + scanHeader + 4);
}
