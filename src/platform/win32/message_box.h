// The system's message box with Spanish buttons on every Windows language.
#pragma once

#include <windows.h>

#include <string>

namespace morvane {

// MessageBoxW with `style` as Windows takes it (buttons, icon, default
// button); the buttons read "Aceptar", "Cancelar", "&Anular",
// "&Reintentar", "&Omitir", "&Sí" and "&No" whatever the system's language.
// Returns the button's code (IDOK, IDYES, ...).
int spanishMessageBox(HWND owner, const std::wstring& text, const std::wstring& title, UINT style);

}  // namespace morvane
