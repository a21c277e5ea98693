#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// Qt's texts in the language the app's table was chosen for, not the
// locale's first choice: an English table beside German file dialogs would
// mix the two.
void installQtTranslations(const QString &language)
{
    if (language.isEmpty() || language.startsWith(QLatin1String("en")))
        return;
    auto *qt = new QTranslator(QCoreApplication::instance());
    // "qt_de" names the tables of every Qt module (qtbase_de, qtdeclarative_de, ...).
    if (!qt->load(QLocale(language), QStringLiteral("qt"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return;
    }
    QCoreApplication::installTranslator(qt);
}

} // namespace

QTranslator *installTranslations(const QLocale &locale)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    // Tries tessaly_de_DE, tessaly_de, ... in the locale's order of preference.
    if (!translator->load(locale, QStringLiteral("tessaly"), QStringLiteral("_"), QStringLiteral(":/i18n"))
        && !translator->load(QStringLiteral(":/i18n/tessaly_en"))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    installQtTranslations(translator->language());
    return translator;
}
