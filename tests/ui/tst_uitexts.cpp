#include <UiTexts.h>
#include <Translations.h>

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

// The texts with numbers, read through the real English and German tables.
class TestUiTexts : public QObject
{
    Q_OBJECT

private slots:
    void percentageIsTruncated_data();
    void percentageIsTruncated();
    void progressTurnsCompleteOnlyAtOne_data();
    void progressTurnsCompleteOnlyAtOne();
    void textsFromTheTables_data();
    void textsFromTheTables();
};

void TestUiTexts::percentageIsTruncated_data()
{
    QTest::addColumn<double>("progress");
    QTest::addColumn<qint64>("percentage");

    QTest::newRow("nothing done") << 0.0 << qint64(0);
    QTest::newRow("one third") << 1.0 / 3.0 << qint64(33);
    QTest::newRow("two thirds, not rounded up") << 2.0 / 3.0 << qint64(66);
    QTest::newRow("0.995 shows 99") << 0.995 << qint64(99);
    QTest::newRow("just below one") << 0.99999 << qint64(99);
    QTest::newRow("all done") << 1.0 << qint64(100);
    // 29 of 100 is 0.29, and 0.29 * 100 is 28.999999999999996 in doubles.
    QTest::newRow("29 of 100 shows 29") << 29.0 / 100.0 << qint64(29);
    QTest::newRow("57 of 100 shows 57") << 57.0 / 100.0 << qint64(57);
    QTest::newRow("199 of 200 shows 99") << 199.0 / 200.0 << qint64(99);
    QTest::newRow("99999 of 100000 shows 99") << 99999.0 / 100000.0 << qint64(99);
    QTest::newRow("not a number") << qQNaN() << qint64(0);
}

void TestUiTexts::percentageIsTruncated()
{
    QFETCH(double, progress);
    QFETCH(qint64, percentage);
    QCOMPARE(UiTexts::truncatedPercentage(progress), percentage);
}

void TestUiTexts::progressTurnsCompleteOnlyAtOne_data()
{
    QTest::addColumn<double>("progress");
    QTest::addColumn<bool>("complete");

    QTest::newRow("0.995") << 0.995 << false;
    QTest::newRow("0.999999") << 0.999999 << false;
    QTest::newRow("1.0") << 1.0 << true;
}

void TestUiTexts::progressTurnsCompleteOnlyAtOne()
{
    QFETCH(double, progress);
    QFETCH(bool, complete);
    QCOMPARE(UiTexts::isProgressComplete(progress), complete);
}

void TestUiTexts::textsFromTheTables_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("percentage");
    QTest::addColumn<QString>("keyCounts");
    QTest::addColumn<QString>("rowCount");
    QTest::addColumn<QString>("oneUnsupported");
    QTest::addColumn<QString>("threeUnsupported");

    QTest::newRow("English") << u"en"_qs << u"9 files · 4 cleaned · 3 failed"_qs << u"99%"_qs << u"42 → 3"_qs
                             << u"(12)"_qs << u"This file type is not supported"_qs
                             << u"3 files are of an unsupported type"_qs;
    QTest::newRow("German") << u"de"_qs << u"9 Dateien · 4 bereinigt · 3 fehlgeschlagen"_qs << u"99 %"_qs
                            << u"42 → 3"_qs << u"(12)"_qs << u"Dieser Dateityp wird nicht unterstützt"_qs
                            << u"3 Dateien haben einen nicht unterstützten Typ"_qs;
}

void TestUiTexts::textsFromTheTables()
{
    QFETCH(QString, language);
    QTranslator *table = installTranslations(QLocale(language));
    QVERIFY(table);
    const auto removeTable = qScopeGuard([table] {
        QCoreApplication::removeTranslator(table);
        delete table;
    });

    QTEST(UiTexts::counterText(9, 4, 3), "counter");
    QTEST(UiTexts::percentageText(UiTexts::truncatedPercentage(0.995)), "percentage");
    QTEST(UiTexts::keyCountsText(42, 3), "keyCounts");
    QTEST(UiTexts::rowCountText(12), "rowCount");
    QTEST(UiTexts::unsupportedMessage(1), "oneUnsupported");
    QTEST(UiTexts::unsupportedMessage(3), "threeUnsupported");
    QCOMPARE(UiTexts::unsupportedMessage(0), QString());
}

QTEST_GUILESS_MAIN(TestUiTexts)
#include "tst_uitexts.moc"
