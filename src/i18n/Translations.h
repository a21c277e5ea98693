#pragma once

#include <QLocale>

class QTranslator;

// Loads the string table for the locale (German or English, English for
// every other language) into the application. Returns the installed
// translator, owned by the application; null when no table could be loaded.
QTranslator *installTranslations(const QLocale &locale = QLocale());
