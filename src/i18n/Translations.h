#pragma once

#include <QLocale>

class QTranslator;

// Loads the string table for the locale (German or English, English for
// every other language) into the application, and Qt's own table for the
// same language, so that the texts Qt draws (the file dialog, a dialog's
// buttons) are in that language too. Returns the app's translator, owned by
// the application; null when no table could be loaded.
QTranslator *installTranslations(const QLocale &locale = QLocale());

