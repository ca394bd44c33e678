// An input box in the system's look, built from a dialog template in
// memory: the prompt, an empty answer field, "Aceptar" (the default) and
// "Cancelar".
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace morvane {

// Control identifiers of the box, for automation: the prompt and the field.
inline constexpr int kInputBoxPromptId = 100;
inline constexpr int kInputBoxFieldId = 101;

// The typed text, or none when the box was cancelled or closed.
std::optional<std::wstring> showInputBox(HWND owner, const std::wstring& prompt,
                                         const std::wstring& title);

}  // namespace morvane
