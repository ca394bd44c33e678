#include "app/win32/window_fonts.h"

#include <string>
#include <utility>

#include "platform/win/wide.h"

namespace morvane {

namespace {

HFONT createFont(const std::wstring& family, const FontDescription& font, int dpi) {
    LOGFONTW f{};
    f.lfHeight = -::MulDiv(font.points, dpi, 72);
    f.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    f.lfItalic = font.italic ? TRUE : FALSE;
    f.lfCharSet = DEFAULT_CHARSET;
    f.lfQuality = CLEARTYPE_QUALITY;
    family.copy(f.lfFaceName, LF_FACESIZE - 1);
    return ::CreateFontIndirectW(&f);
}

// Whether the system has the family itself rather than a substitute.
bool hasFamily(const std::wstring& family) {
    LOGFONTW f{};
    f.lfCharSet = DEFAULT_CHARSET;
    family.copy(f.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    HDC dc = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(
        dc, &f,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
            *reinterpret_cast<bool*>(found) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, dc);
    return found;
}

}  // namespace

WindowFont::WindowFont(const FontDescription& font, int dpi) {
    std::wstring family = toWide(font.family);
    if (family == L"MS Sans Serif" && hasFamily(L"Microsoft Sans Serif")) {
        family = L"Microsoft Sans Serif";
    }
    font_ = createFont(family, font, dpi);
}

WindowFont::~WindowFont() {
    if (font_ != nullptr) ::DeleteObject(font_);
}

WindowFont& WindowFont::operator=(WindowFont&& other) noexcept {
    std::swap(font_, other.font_);
    return *this;
}

}  // namespace morvane
