#include "bdfmodel.h"

namespace {

bool ValidRowBit(const TBDFChar &ch, int r, int bit)
{
    return r >= 0 && static_cast<size_t>(r) < ch.Bitmap.size() && bit >= 0 && bit < 64;
}

uint64_t Mask(int bit)
{
    return uint64_t{1} << bit;
}

} // namespace

bool GetBit(const TBDFChar &ch, int r, int bit)
{
    return ValidRowBit(ch, r, bit) && (ch.Bitmap[r] & Mask(bit)) != 0;
}

void SetBit(TBDFChar &ch, int r, int bit)
{
    if (ValidRowBit(ch, r, bit))
        ch.Bitmap[r] |= Mask(bit);
}

void ClearBit(TBDFChar &ch, int r, int bit)
{
    if (ValidRowBit(ch, r, bit))
        ch.Bitmap[r] &= ~Mask(bit);
}

void ToggleBit(TBDFChar &ch, int r, int bit)
{
    if (ValidRowBit(ch, r, bit))
        ch.Bitmap[r] ^= Mask(bit);
}

bool GetPixel(const TBDFChar &ch, int r, int x)
{
    return GetBit(ch, r, PixelBit(ch.BBXWidth, x));
}

void SetPixel(TBDFChar &ch, int r, int x)
{
    SetBit(ch, r, PixelBit(ch.BBXWidth, x));
}

void ClearPixel(TBDFChar &ch, int r, int x)
{
    ClearBit(ch, r, PixelBit(ch.BBXWidth, x));
}

void TogglePixel(TBDFChar &ch, int r, int x)
{
    ToggleBit(ch, r, PixelBit(ch.BBXWidth, x));
}
