// Fonts of the window's description at a DPI. "MS Sans Serif" is taken as
// the TrueType "Microsoft Sans Serif" where the system has it (crisp at any
// DPI, unlike the old bitmap font), else as itself.
#pragma once

#include <windows.h>

#include "app/form_description.h"

namespace morvane {

class WindowFont {
  public:
    WindowFont() = default;
    WindowFont(const FontDescription& font, int dpi);
    ~WindowFont();
    WindowFont(WindowFont&& other) noexcept : font_(other.font_) { other.font_ = nullptr; }
    WindowFont& operator=(WindowFont&& other) noexcept;

    HFONT handle() const { return font_; }

  private:
    HFONT font_ = nullptr;
};

}  // namespace morvane
