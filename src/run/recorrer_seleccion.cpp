#include "run/recorrer_seleccion.h"

#include "ops/build.h"
#include "ops/group.h"
#include "ops/replace.h"
#include "ops/search.h"

namespace morvane {

Outcome RecorrerSeleccion(Corrida& corrida) {
    MainForm& form = corrida.sv.form;
    EstadoCorrida& e = corrida.estado;
    constexpr int kFin = 39;

    // The index and the last index are 32-bit, so a list longer than 32,767
    // entries is walked to its end instead of overflowing half-way.
    Procedure walk;
    walk.step(26, [&] {
            e.UltimoIndice = form.listCount() - 1;
            e.IndiceLista = 0;
            return e.IndiceLista > e.UltimoIndice ? kFin : 27;
        })
        .step(27, [&] { return form.listSelected(e.IndiceLista) ? 28 : 35; })
        .step(28, [&] {
            e.RutaProyecto = form.listText(e.IndiceLista);
            return 29;
        })
        .step(29, [&] { return form.optTipo(0) ? 30 : 31; })
        .step(30, [&] { AgregarAlGrupo(corrida); return 35; }, 35)
        .step(31, [&] { return form.optTipo(1) ? 32 : 33; })
        .step(32, [&] { ReemplazarEnArchivo(corrida); return 35; }, 35)
        .step(33, [&] { return form.optTipo(2) ? 34 : 35; })
        .step(34, [&] { GenerarEjecutable(corrida); return 35; })
        .step(35, [&] { return form.optTipo(3) ? 36 : 38; })
        .step(36, [&] {
            e.RutaProyecto = form.listText(e.IndiceLista);
            return 37;
        })
        .step(37, [&] {
            // The mark is written only once the search has answered, so a
            // failed search leaves it as it was.
            bool contiene = BuscaCadena(corrida.sv.components, e.RutaProyecto, e.CadenaBuscar);
            form.setListSelected(e.IndiceLista, contiene);
            return 38;
        })
        .step(38, [&] {
            ++e.IndiceLista;
            return e.IndiceLista <= e.UltimoIndice ? 27 : kFin;
        })
        .step(kFin, [] { return Procedure::kReturn; });
    return walk.run(corrida.onFailure, 26);
}

}  // namespace morvane
