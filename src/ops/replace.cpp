#include "ops/replace.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/failure.h"
#include "platform/text.h"

namespace morvane {

namespace {

// The largest match position a 16-bit signed counter holds.
constexpr std::size_t kPosicionMaxima = 32767;

constexpr std::size_t kNinguna = std::string_view::npos;

// A line while its occurrences are being replaced, kept in three pieces so
// that no replacement copies the rest of a long line, nor the text that
// earlier replacements left ahead of the search: the settled characters
// (before the next search start; no later replacement changes them), the
// inserted characters not settled yet, and the part of the original line not
// reached yet. The unsettled part of the line is the second piece followed by
// the third. The second piece is kept back to front, so that taking from its
// front and inserting a replacement before it both cost only what they move.
class LineaEnCambio {
  public:
    LineaEnCambio(std::string original, std::string_view buscar)
        : original_(std::move(original)), buscar_(buscar), buscarMayus_(ansiUpperCase(buscar)) {}

    // Number of settled characters: the next search starts right after them.
    std::size_t asentados() const { return hecho_.size(); }

    // Offset, from the first unsettled character, of the first occurrence of
    // the search text in the unsettled part; kNinguna when there is none.
    std::size_t proxima() {
        const std::size_t largo = buscar_.size();
        const std::size_t pendientes = pila_.size();
        // An occurrence within the inserted characters.
        if (pendientes >= largo) {
            for (std::size_t u = 0; u + largo <= pendientes; ++u) {
                if (coincideEnPila(u)) return u;
            }
        }
        // One that starts in their last length - 1 characters and ends in
        // the original's rest.
        const std::size_t cola = std::min(pendientes, largo - 1);
        if (cola > 0) {
            ventana_.assign(pila_.rend() - static_cast<std::ptrdiff_t>(cola), pila_.rend());
            ventana_.append(original_, leido_, largo - 1);
            const std::size_t enVentana = findAnsiNoCase(ventana_, buscar_);
            if (enVentana != kNinguna) return pendientes - cola + enVentana;
        }
        const std::size_t enResto = findAnsiNoCase(original_, buscar_, leido_);
        return enResto == kNinguna ? kNinguna : pendientes + (enResto - leido_);
    }

    // Replaces the occurrence at `desde` (an offset as proxima gives it) and
    // settles every character up to the new search start: the first
    // character of the replacement or, with an empty replacement, the first
    // character after the removed occurrence.
    void reemplazar(std::size_t desde, std::string_view reemplazo) {
        asentar(desde);
        descartar(buscar_.size());
        if (reemplazo.empty()) {
            asentar(1);
            return;
        }
        hecho_.push_back(reemplazo.front());
        pila_.append(reemplazo.rbegin(), reemplazo.rend() - 1);
    }

    // The whole line as it stands.
    std::string juntar() {
        std::string linea = std::move(hecho_);
        linea.append(pila_.rbegin(), pila_.rend());
        linea.append(original_, leido_);
        return linea;
    }

  private:
    // Whether the search text occurs at offset u of the inserted characters.
    bool coincideEnPila(std::size_t u) const {
        const std::size_t frente = pila_.size() - 1 - u;  // where offset u is kept
        for (std::size_t k = 0; k < buscarMayus_.size(); ++k) {
            if (ansiUpper(static_cast<unsigned char>(pila_[frente - k])) !=
                static_cast<unsigned char>(buscarMayus_[k]))
                return false;
        }
        return true;
    }

    // Moves n unsettled characters (fewer at the end) to the settled ones.
    void asentar(std::size_t n) { avanzar(n, true); }
    // Drops n unsettled characters.
    void descartar(std::size_t n) { avanzar(n, false); }

    void avanzar(std::size_t n, bool conservar) {
        const std::size_t dePila = std::min(n, pila_.size());
        const auto inicio = pila_.end() - static_cast<std::ptrdiff_t>(dePila);
        if (conservar)
            hecho_.append(std::make_reverse_iterator(pila_.end()),
                          std::make_reverse_iterator(inicio));
        pila_.erase(inicio, pila_.end());
        const std::size_t deOriginal = std::min(n - dePila, original_.size() - leido_);
        if (conservar) hecho_.append(original_, leido_, deOriginal);
        leido_ += deOriginal;
    }

    std::string original_;
    std::string_view buscar_;
    std::string buscarMayus_;
    std::size_t leido_ = 0;  // characters of the original already taken
    std::string hecho_;
    std::string pila_;     // inserted characters not settled yet, last one first
    std::string ventana_;  // reused for occurrences that straddle the two pieces
};

// A match position as the 16-bit counter holds it; positions count from 1.
std::size_t posicion16(std::size_t posicion) {
    if (posicion > kPosicionMaxima) throw Failure(err::kOverflow);
    return posicion;
}

}  // namespace

void BuscarYReemplazar(std::string& texto, const std::string& Buscar,
                       const std::string& Reemplazar) {
    // An empty search text would be found at every position and never
    // consumed: the line stays as it is.
    if (Buscar.empty()) return;
    const std::size_t primera = findAnsiNoCase(texto, Buscar);
    if (primera == kNinguna) return;
    std::size_t p = posicion16(primera + 1);

    LineaEnCambio linea(std::move(texto), Buscar);
    std::size_t desde = primera;
    try {
        for (;;) {
            linea.reemplazar(desde, Reemplazar);
            // The next search starts one past p; that sum is 16-bit as well.
            posicion16(p + 1);
            // Here the settled characters are exactly the first p (or fewer
            // when an empty replacement removed the line's last characters,
            // and then nothing is left to find).
            desde = linea.proxima();
            if (desde == kNinguna) break;
            p = posicion16(linea.asentados() + desde + 1);
        }
    } catch (...) {
        // The line keeps every replacement made before the failure.
        texto = linea.juntar();
        throw;
    }
    texto = linea.juntar();
}

namespace {

// The project path without its last four characters (the extension and its
// dot for a name ending in .vbp). Paths are UTF-8, so characters are counted,
// not bytes. A path shorter than that is an invalid call.
std::string nombreBase(const std::string& ruta) {
    std::size_t fin = ruta.size();
    for (int quitados = 0; quitados < 4; ++quitados) {
        if (fin == 0) throw Failure(err::kInvalidCall);
        --fin;
        while (fin > 0 && (static_cast<unsigned char>(ruta[fin]) & 0xC0) == 0x80) --fin;
    }
    return ruta.substr(0, fin);
}

// Appends an ansi line to a UTF-8 text; plain ASCII, the usual content of a
// project file, is copied as it is.
void agregarAnsi(std::string& destino, const std::string& ansi) {
    for (const char c : ansi) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            destino += ansiToUtf8(ansi);
            return;
        }
    }
    destino += ansi;
}

// On a host whose names keep letter case, one folder can hold Ventas.vbp
// beside Ventas.VBP (or a Ventas.OLD beside a ventas.old). A case-blind name
// then stands for either of them, and rewriting through it could take the
// other one's file or backup for its own: so a name that stands for more
// than one entry is refused, naming them all, and nothing is touched.
void comprobarNombreUnico(FileServices& files, const std::string& nombre) {
    const std::vector<std::string> gemelos = files.caseVariants(nombre);
    if (gemelos.size() < 2) return;
    const std::string carpeta = nombre.substr(0, nombre.find_last_of("\\/:") + 1);
    std::string lista;
    for (std::size_t i = 0; i < gemelos.size(); ++i) {
        if (i > 0) lista += i + 1 == gemelos.size() ? " y " : ", ";
        lista += carpeta + gemelos[i];
    }
    throw Failure(err::kFileExists,
                  standardDescription(err::kFileExists) + ": " + lista +
                      " solo se distinguen por mayúsculas y minúsculas; no se reescribe ninguno");
}

// The texts of the run in the code page of the files, converted once, at
// their first use.
const std::string& enAnsi(std::optional<std::string>& convertido, const std::string& utf8) {
    if (!convertido) convertido = utf8ToAnsi(utf8);
    return *convertido;
}

}  // namespace

void ReemplazarEnArchivo(Corrida& corrida) {
    FileServices& files = corrida.sv.files;
    MainForm& form = corrida.sv.form;
    EstadoCorrida& e = corrida.estado;
    constexpr int kFinDelBucle = 15;
    constexpr int kSinRotar = 22;

    // Nothing of the previous file's rewrite carries over into this one.
    e.NombreBase.clear();
    e.NombreTemporal.clear();
    e.ArchivoEntrada = 0;
    e.ArchivoSalida = 0;
    e.LineaActual.clear();

    // What this rewrite has achieved. The project file gives way only to a
    // temporary file that received every line and was closed cleanly (which
    // puts it on disk); otherwise an empty or partial file would take its name.
    bool entradaAbierta = false;
    bool salidaAbierta = false;
    bool leidaEntera = false;
    bool temporalCerrado = false;
    // Set while a line is being read; still set at step 11 when the read
    // failed and the run went on. Copying on would write the previous line a
    // second time in place of the unread one, and a read that keeps failing
    // would keep the loop going for good: the copy stops there instead, and
    // the incomplete temporary file never takes the project's name.
    bool lecturaFallida = false;
    // The same for a line that could not be written (a full disk): the
    // temporary file lacks it, so copying on could only end in a box for
    // every remaining line and a file that must not take the project's name.
    bool escrituraFallida = false;

    std::optional<std::string> buscar;
    std::optional<std::string> reemplazo;
    // The status line text, reused from line to line.
    std::string leyenda;

    Procedure rewrite;
    rewrite
        .step(1,
              [&] {
                  e.NombreBase = nombreBase(e.RutaProyecto);
                  return 2;
              })
        .step(2,
              [&] {
                  // Without a base name the temporary file would have no folder of
                  // its own; no temporary file is made then.
                  if (!e.NombreBase.empty()) e.NombreTemporal = e.NombreBase + ".NVO";
                  return 3;
              })
        .step(3,
              [&] {
                  e.ArchivoEntrada = files.freeFile();
                  return 4;
              })
        .step(4,
              [&] {
                  comprobarNombreUnico(files, e.RutaProyecto);
                  files.openForInput(e.RutaProyecto, e.ArchivoEntrada);
                  entradaAbierta = true;
                  return 5;
              })
        .step(5,
              [&] {
                  // With nothing to read, no empty temporary file is made.
                  if (!entradaAbierta || e.NombreTemporal.empty()) return 7;
                  e.ArchivoSalida = files.freeFile();
                  return 6;
              })
        .step(6,
              [&] {
                  files.openForOutput(e.NombreTemporal, e.ArchivoSalida);
                  salidaAbierta = true;
                  return 7;
              })
        .step(7,
              [&] {
                  form.setDetalle(e.RutaProyecto);
                  return 8;
              })
        .step(8,
              [&] {
                  form.refreshDetalle();
                  return 9;
              })
        .step(9,
              [&] {
                  // A file that did not open has nothing to give: the loop ends.
                  if (!entradaAbierta || !salidaAbierta) return kFinDelBucle;
                  if (files.eof(e.ArchivoEntrada)) {
                      leidaEntera = true;
                      return kFinDelBucle;
                  }
                  return 10;
              })
        .step(10,
              [&] {
                  lecturaFallida = true;
                  e.LineaActual = files.lineInput(e.ArchivoEntrada);
                  lecturaFallida = false;
                  return 11;
              })
        .step(11,
              [&] {
                  if (lecturaFallida) return kFinDelBucle;
                  BuscarYReemplazar(e.LineaActual, enAnsi(buscar, e.CadenaBuscar),
                                    enAnsi(reemplazo, e.CadenaReemplazo));
                  return 12;
              })
        .step(12,
              [&] {
                  escrituraFallida = true;
                  files.printLine(e.ArchivoSalida, e.LineaActual);
                  escrituraFallida = false;
                  return 13;
              })
        .step(13,
              [&] {
                  if (escrituraFallida) return kFinDelBucle;
                  leyenda.assign(e.RutaProyecto);
                  leyenda.append(7, ' ');
                  agregarAnsi(leyenda, e.LineaActual);
                  form.setDetalle(leyenda);
                  return 14;
              })
        .step(
            14,
            [&] {
                form.refreshDetalle();
                return 9;
            },
            9)
        .step(15,
              [&] {
                  if (entradaAbierta) {
                      entradaAbierta = false;
                      files.close(e.ArchivoEntrada);
                  }
                  return 16;
              })
        .step(16,
              [&] {
                  // A close whose last lines the disk refused keeps the file open,
                  // and a Retry writes them; after any other failure the number
                  // is free and the file stays unfinished.
                  if (salidaAbierta) {
                      try {
                          files.close(e.ArchivoSalida);
                      } catch (const Failure&) {
                          salidaAbierta = files.isOpen(e.ArchivoSalida);
                          throw;
                      }
                      salidaAbierta = false;
                      temporalCerrado = true;
                  }
                  return 17;
              })
        .step(17,
              [&] {
                  if (!leidaEntera || !temporalCerrado) return kSinRotar;
                  e.BorrandoRespaldo = true;
                  return 18;
              })
        .step(18,
              [&] {
                  // The names resolve without regard to letter case, so this removes
                  // the backup that an earlier rewrite left as ".OLD".
                  comprobarNombreUnico(files, e.NombreBase + ".old");
                  files.kill(e.NombreBase + ".old");
                  return 19;
              })
        .step(19,
              [&] {
                  e.BorrandoRespaldo = false;
                  return 20;
              })
        .step(20,
              [&] {
                  files.rename(e.RutaProyecto, e.NombreBase + ".OLD");
                  return 21;
              })
        .step(21,
              [&] {
                  files.rename(e.NombreTemporal, e.RutaProyecto);
                  return 22;
              })
        .step(22,
              [&] {
                  // A temporary file whose close failed and was passed over is
                  // given up as it stands on disk, so its name is free for the
                  // next rewrite.
                  if (salidaAbierta) {
                      salidaAbierta = false;
                      files.abandon(e.ArchivoSalida);
                  }
                  form.setDetalle("...");
                  return 23;
              })
        .step(23, [&] {
            // The last line of a long file need not outlive its rewrite.
            std::string().swap(e.LineaActual);
            return Procedure::kReturn;
        });
    rewrite.run(corrida.onFailure, 1);
}

}  // namespace morvane
