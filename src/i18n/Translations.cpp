#include "Translations.h"

#include <QCoreApplication>
#include <QTranslator>

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
    return translator;
}
