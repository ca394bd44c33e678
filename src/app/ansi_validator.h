// Keeps a text box to characters that Windows-1252 can hold: the project files
// are written in that code page, so a search or replacement text with any
// other character could never match and could not be written. Typing or
// pasting such a character changes nothing.
#pragma once

#include <QValidator>

namespace morvane {

class AnsiValidator : public QValidator {
    Q_OBJECT
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

}  // namespace morvane
