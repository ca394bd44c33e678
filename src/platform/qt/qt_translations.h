// Qt's own translations of its standard texts (message box buttons, the input
// box), so that a Spanish desktop shows "Sí", "No", "Anular", "Reintentar",
// "Omitir".
#pragma once

class QCoreApplication;
class QLocale;

namespace morvane {

// Installs the translations of Qt's base texts for the locale into the
// application; false when Qt has none for it (the texts then stay English).
bool installQtTranslations(QCoreApplication& app, const QLocale& locale);

}  // namespace morvane
