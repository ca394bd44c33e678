#include "app/centrado.h"

#include <cmath>

namespace morvane {

Posicion centrar(float screenWidth, float screenHeight, float windowWidth, float windowHeight) {
    const float left = screenWidth / 2.0f - windowWidth / 2.0f;
    const float top = screenHeight / 2.0f - windowHeight / 2.0f;
    return {left, top};
}

float twipsPerPixel(int dotsPerInch) {
    // Exact in single precision for the usual settings (96, 120, 144, 192).
    return static_cast<float>(kTwipsPerInch) / static_cast<float>(dotsPerInch);
}

int twipsToPixels(float twips, int dotsPerInch) {
    return static_cast<int>(std::lround(twips / twipsPerPixel(dotsPerInch)));
}

}  // namespace morvane
