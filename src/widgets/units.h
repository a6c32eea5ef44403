#pragma once
// Twips: 1440 to an inch, 15 to a pixel at 96 dpi.
namespace tessaly {

constexpr int kTwipsPerPixel = 15;

// Nearest whole pixel (15 is odd, so there is no tie); symmetric about zero and
// free of overflow for every int.
constexpr int twipsToPixels(int twips)
{
    const int q = twips / kTwipsPerPixel;
    const int r = twips % kTwipsPerPixel;
    if (r > kTwipsPerPixel / 2)
        return q + 1;
    if (r < -(kTwipsPerPixel / 2))
        return q - 1;
    return q;
}

constexpr int pixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

} // namespace tessaly
