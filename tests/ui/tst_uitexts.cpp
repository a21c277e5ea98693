#include <UiTexts.h>
#include <Translations.h>

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

class TestUiTexts : public QObject
{
    Q_OBJECT

private slots:
    // Percentages are cut, never rounded up; only 1.0 is complete.
    void percentage_data()
    {
        QTest::addColumn<double>("progress");
        QTest::addColumn<qint64>("percentage");
        QTest::addColumn<bool>("complete");
        QTest::newRow("nothing done") << 0.0 << qint64(0) << false;
        QTest::newRow("two thirds, not rounded up") << 2.0 / 3.0 << qint64(66) << false;
        QTest::newRow("0.999999") << 0.999999 << qint64(99) << false;
        QTest::newRow("all done") << 1.0 << qint64(100) << true;
        // 29 of 100 is 0.29, and 0.29 * 100 is 28.999999999999996 in doubles.
        QTest::newRow("29 of 100 shows 29") << 29.0 / 100.0 << qint64(29) << false;
        QTest::newRow("not a number") << qQNaN() << qint64(0) << false;
    }

    void percentage()
    {
        QFETCH(double, progress);
        QTEST(UiTexts::truncatedPercentage(progress), "percentage");
        QTEST(UiTexts::isProgressComplete(progress), "complete");
    }

    // The texts with numbers, read through the real English and German tables
    // (plural forms, the German percent sign, grouped thousands).
    void textsFromTheTables_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("English") << u"en"_qs << QStringList{u"9 files · 4 cleaned · 3 failed"_qs, u"1 file · 1 cleaned · 0 failed"_qs,
                                                          u"99%"_qs, u"42 → 3"_qs, u"(12)"_qs, u"This file type is not supported"_qs,
                                                          u"3 files are of an unsupported type"_qs, QString(),
                                                          u"Clean 1,234 files in “Photos”? They will be replaced by cleaned versions."_qs,
                                                          u"Clean 1 file from these folders? Cleaned copies will be saved beside them."_qs};
        QTest::newRow("German") << u"de"_qs << QStringList{u"9 Dateien · 4 bereinigt · 3 fehlgeschlagen"_qs,
                                                         u"1 Datei · 1 bereinigt · 0 fehlgeschlagen"_qs, u"99 %"_qs, u"42 → 3"_qs,
                                                         u"(12)"_qs, u"Dieser Dateityp wird nicht unterstützt"_qs,
                                                         u"3 Dateien haben einen nicht unterstützten Typ"_qs, QString(),
                                                         u"1.234 Dateien in „Photos“ bereinigen? Sie werden durch bereinigte Fassungen ersetzt."_qs,
                                                         u"1 Datei aus diesen Ordnern bereinigen? Bereinigte Kopien werden daneben gespeichert."_qs};
    }

    void textsFromTheTables()
    {
        QFETCH(QString, language);
        QTranslator *table = installTranslations(QLocale(language));
        QVERIFY(table);
        QLocale::setDefault(QLocale(language)); // the locale the numbers follow
        const auto removeTable = qScopeGuard([table] {
            QCoreApplication::removeTranslator(table);
            delete table;
            QLocale::setDefault(QLocale::c());
        });
        QTEST((QStringList{UiTexts::counterText(9, 4, 3), UiTexts::counterText(1, 1, 0),
                           UiTexts::percentageText(UiTexts::truncatedPercentage(0.995)), UiTexts::keyCountsText(42, 3),
                           UiTexts::rowCountText(12), UiTexts::unsupportedMessage(1), UiTexts::unsupportedMessage(3),
                           UiTexts::unsupportedMessage(0), UiTexts::confirmationText(1234, u"Photos"_qs, false),
                           UiTexts::confirmationText(1, QString(), true)}),
              "texts");
    }
};

QTEST_GUILESS_MAIN(TestUiTexts)
#include "tst_uitexts.moc"
