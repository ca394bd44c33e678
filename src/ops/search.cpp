#include "ops/search.h"

#include "platform/text.h"

namespace morvane {

bool BuscaCadena(Components& components, const std::string& texto, const std::string& Buscar) {
    // A new component for every file; it and its stream go on every way out.
    std::unique_ptr<FileSystemObject> fso = components.createFileSystemObject();
    std::unique_ptr<TextStream> stream = fso->OpenTextFile(texto, iomode::kForReading);

    // The content is code-page text: a search text with a character the code
    // page cannot hold compares exactly and can never occur in it. An empty
    // text is found at the first character of any content.
    const bool cabe = fitsAnsi(Buscar);
    AnsiNoCaseFinder buscar(cabe ? utf8ToAnsi(Buscar) : std::string());

    // One piece of fixed size, reused for the whole file, so the file is never
    // held whole; an occurrence across two pieces is found all the same.
    // Reading goes on to the end after a find, whatever the text, so that a
    // file that cannot be read at any point fails.
    std::string pieza;
    while (!stream->AtEndOfStream()) {
        stream->Read(kSearchPieceSize, pieza);
        buscar.feed(pieza);
    }
    stream->Close();
    return cabe && buscar.found();
}

}  // namespace morvane
