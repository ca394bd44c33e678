// Where Form_Load puts the window: centred on the screen, each size halved on
// its own in single precision, nothing clamped (a window larger than the
// screen gets a negative edge).
#pragma once

namespace morvane {

// Twips are 1/1440 inch; at the standard 96 dots per inch a pixel is 15 twips.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kStandardDpi = 96;
inline constexpr int kTwipsPerPixel = kTwipsPerInch / kStandardDpi;

struct Posicion {
    float left;  // twips
    float top;   // twips
};

// Sizes in twips: the full screen, and the window's outer size.
Posicion centrar(float screenWidth, float screenHeight, float windowWidth, float windowHeight);

// Twips per pixel at a display's dots per inch: 15 at 96, 10 at 144.
float twipsPerPixel(int dotsPerInch);

// A position in twips as the platform turns it into pixels: to the nearest pixel.
int twipsToPixels(float twips, int dotsPerInch = kStandardDpi);

}  // namespace morvane
