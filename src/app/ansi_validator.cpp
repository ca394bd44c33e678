#include "app/ansi_validator.h"

#include "platform/text.h"

namespace morvane {

QValidator::State AnsiValidator::validate(QString& input, int&) const {
    return fitsAnsi(input.toStdString()) ? Acceptable : Invalid;
}

}  // namespace morvane
