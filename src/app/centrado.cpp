#include "app/centrado.h"

#include <cmath>

namespace morvane {

Posicion centrar(float screenWidth, float screenHeight, float windowWidth, float windowHeight) {
    const float left = screenWidth / 2.0f - windowWidth / 2.0f;
    const float top = screenHeight / 2.0f - windowHeight / 2.0f;
    return {left, top};
}

int twipsToPixels(float twips) {
    return static_cast<int>(std::lround(twips / static_cast<float>(kTwipsPerPixel)));
}

}  // namespace morvane
