#include "ops/search.h"

#include <array>
#include <cstring>
#include <string_view>

#include "platform/failure.h"
#include "platform/text.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace morvane {

namespace {

// Up to this length the case-blind scan of the content is used as it is: it
// is the fastest on ordinary texts, and its cost per byte is bounded by the
// text's length. A longer text could make it compare most of the text at
// nearly every position (a long run of one letter in a file full of that
// letter), so such texts are searched in the upper-cased content with a
// search whose cost does not grow with the text's length.
constexpr std::size_t kLongestScannedText = 16;

const std::array<unsigned char, 256>& upperTable() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) t[b] = ansiUpper(static_cast<unsigned char>(b));
        return t;
    }();
    return table;
}

// Upper-cases code-page text in place; plain ASCII goes 16 bytes at a time.
void upperCaseInPlace(std::string& text) {
    const auto& upper = upperTable();
    auto* p = reinterpret_cast<unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i beforeA = _mm_set1_epi8('a' - 1);
    const __m128i afterZ = _mm_set1_epi8('z' + 1);
    const __m128i caseBit = _mm_set1_epi8(0x20);
    for (; i + 16 <= n; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (_mm_movemask_epi8(v) != 0) {
            // Bytes of the code page's upper half: each by the table.
            for (std::size_t j = i; j < i + 16; ++j) p[j] = upper[p[j]];
            continue;
        }
        const __m128i lower = _mm_and_si128(_mm_cmpgt_epi8(v, beforeA), _mm_cmplt_epi8(v, afterZ));
        v = _mm_sub_epi8(v, _mm_and_si128(lower, caseBit));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v);
    }
#endif
    for (; i < n; ++i) p[i] = upper[p[i]];
}

}  // namespace

bool BuscaCadena(Components& components, const std::string& texto, const std::string& Buscar) {
    // A new component for every file; it and its stream go on every way out.
    std::unique_ptr<FileSystemObject> fso = components.createFileSystemObject();
    std::unique_ptr<TextStream> stream = fso->OpenTextFile(texto, iomode::kForReading);
    std::string contenido = stream->ReadAll();
    stream->Close();

    // The file is read first, so a file that cannot be read fails whatever the
    // text. The content is code-page text: a search text with a character the
    // code page cannot hold compares exactly and can never occur in it.
    if (!fitsAnsi(Buscar)) return false;
    const std::string buscar = utf8ToAnsi(Buscar);
    // An empty text is found at the first character of any content.
    if (buscar.empty()) return !contenido.empty();

    if (buscar.size() <= kLongestScannedText) {
        return findAnsiNoCase(contenido, buscar) != std::string_view::npos;
    }
    // The content is this call's own copy: it is upper-cased where it lies.
    upperCaseInPlace(contenido);
    const std::string mayusculas = ansiUpperCase(buscar);
    return ::memmem(contenido.data(), contenido.size(), mayusculas.data(), mayusculas.size()) !=
           nullptr;
}

}  // namespace morvane
