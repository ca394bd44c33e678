#include "ops/search.h"

#include <string_view>

#include "platform/failure.h"
#include "platform/text.h"

namespace morvane {

bool BuscaCadena(Components& components, const std::string& texto, const std::string& Buscar) {
    // A new component for every file; it and its stream go on every way out.
    std::unique_ptr<FileSystemObject> fso = components.createFileSystemObject();
    std::unique_ptr<TextStream> stream = fso->OpenTextFile(texto, iomode::kForReading);
    const std::string contenido = stream->ReadAll();
    stream->Close();

    // The file is read first, so a file that cannot be read fails whatever the
    // text. The content is code-page text: a search text with a character the
    // code page cannot hold compares exactly and can never occur in it.
    if (!fitsAnsi(Buscar)) return false;
    const std::string buscar = utf8ToAnsi(Buscar);
    // An empty text is found at the first character of any content.
    if (buscar.empty()) return !contenido.empty();

    // Ignoring letter case while searching gives the same answer as searching
    // an upper-cased copy, without holding a second copy of the file.
    return findAnsiNoCase(contenido, buscar) != std::string_view::npos;
}

}  // namespace morvane
