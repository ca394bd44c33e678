// Where Form_Load puts the window: centred on the screen, each size halved on
// its own in single precision, nothing clamped (a window larger than the
// screen gets a negative edge).
#pragma once

namespace morvane {

inline constexpr int kTwipsPerPixel = 15;

struct Posicion {
    float left;  // twips
    float top;   // twips
};

// Sizes in twips: the full screen, and the window's outer size.
Posicion centrar(float screenWidth, float screenHeight, float windowWidth, float windowHeight);

// A position in twips as the platform turns it into pixels: to the nearest pixel.
int twipsToPixels(float twips);

}  // namespace morvane
