#include "platform/qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace morvane {

namespace {

// The Spanish desktop of the target platform names three buttons otherwise
// than Qt's Spanish translation does ("Anular", "Omitir" where Qt says
// "Interrumpir", "Ignorar"); users know the boxes by those words.
class SpanishButtonTexts : public QTranslator {
  public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (qstrcmp(context, "QPlatformTheme") != 0) return {};
        if (qstrcmp(source, "Abort") == 0) return QStringLiteral("Anular");
        if (qstrcmp(source, "Retry") == 0) return QStringLiteral("Reintentar");
        if (qstrcmp(source, "Ignore") == 0) return QStringLiteral("Omitir");
        return {};
    }
};

}  // namespace

bool installQtTranslations(QCoreApplication& app, const QLocale& locale) {
    // Owned by the application, so they live as long as the texts are used.
    auto* translator = new QTranslator(&app);
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    // Installed last, so it is asked first.
    if (locale.language() == QLocale::Spanish) app.installTranslator(new SpanishButtonTexts(&app));
    return true;
}

}  // namespace morvane
