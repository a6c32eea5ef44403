#pragma once
// Twips: 1440 to an inch, 15 to a pixel at 96 dpi.
namespace tessaly {

constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) { return (twips + (twips >= 0 ? 7 : -7)) / kTwipsPerPixel; }
constexpr int pixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

} // namespace tessaly
