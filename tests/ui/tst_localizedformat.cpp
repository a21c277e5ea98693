#include <LocalizedFormat.h>

#include <QCoreApplication>
#include <QHash>
#include <QTest>
#include <QTranslator>

#include <limits>

namespace {

// A loaded string table, broken entries included.
class TableTranslator : public QTranslator
{
public:
    QHash<QString, QString> entries;

    QString translate(const char *, const char *sourceText, const char * = nullptr, int = -1) const override
    {
        return entries.value(QString::fromUtf8(sourceText));
    }
    bool isEmpty() const override { return entries.isEmpty(); }
};

} // namespace

class TestLocalizedFormat : public QObject
{
    Q_OBJECT

private slots:
    void validity_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("arguments");
        QTest::addColumn<bool>("valid");
        QTest::newRow("three sequential") << u"%lld files · %lld cleaned · %lld failed"_qs << 3 << true;
        QTest::newRow("positional, reordered") << u"%3$lld failed, %1$lld files, %2$lld cleaned"_qs << 3 << true;
        QTest::newRow("one missing") << u"%lld files · %lld cleaned"_qs << 3 << false;
        QTest::newRow("one too many") << u"%lld %lld %lld %lld"_qs << 3 << false;
        QTest::newRow("none at all") << u"files_counter"_qs << 3 << false;
        QTest::newRow("int conversion") << u"%d files"_qs << 1 << false;
        QTest::newRow("string conversion") << u"%lld files %s"_qs << 1 << false;
        QTest::newRow("object conversion") << u"%@ files"_qs << 1 << false;
        QTest::newRow("long without second l") << u"%ld files"_qs << 1 << false;
        QTest::newRow("mixed styles") << u"%1$lld %lld"_qs << 2 << false;
        QTest::newRow("positional repeated") << u"%1$lld %1$lld"_qs << 2 << false;
        QTest::newRow("positional beyond count") << u"%1$lld %3$lld"_qs << 2 << false;
        QTest::newRow("positional zero") << u"%0$lld"_qs << 1 << false;
        QTest::newRow("escaped percent") << u"%lld%%"_qs << 1 << true;
        QTest::newRow("trailing percent sign") << u"%lld%"_qs << 1 << true;
        QTest::newRow("percent sign before blank") << u"%lld % done"_qs << 1 << true;
        QTest::newRow("no placeholders wanted") << u"100% sure"_qs << 0 << true;
    }

    void validity()
    {
        QFETCH(QString, format);
        QFETCH(int, arguments);
        QTEST(LocalizedFormat::isValid(format, arguments), "valid");
    }

    void fill_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("in order") << u"%lld files · %lld cleaned · %lld failed"_qs << u"7 files · 5 cleaned · 2 failed"_qs;
        QTest::newRow("reordered") << u"%3$lld failed of %1$lld (%2$lld ok)"_qs << u"2 failed of 7 (5 ok)"_qs;
        QTest::newRow("escaped percent") << u"%lld%% · %lld · %lld"_qs << u"7% · 5 · 2"_qs;
        QTest::newRow("broken stays as is") << u"%lld files %s %d"_qs << u"%lld files %s %d"_qs;
    }

    void fill()
    {
        QFETCH(QString, format);
        QTEST(LocalizedFormat::fill(format, {7, 5, 2}), "expected");
    }

    void extremeNumbers()
    {
        QCOMPARE(LocalizedFormat::fill(u"%lld → %lld", {std::numeric_limits<qint64>::max(), std::numeric_limits<qint64>::min()}),
                 u"9223372036854775807 → -9223372036854775808"_qs);
        QCOMPARE(LocalizedFormat::fill(u"%lld%", {0}), u"0%"_qs);
    }

    // A table entry is used only when its placeholders match the source's.
    void translatedUsesOnlyMatchingEntries_data()
    {
        QTest::addColumn<QString>("entry"); // empty: no entry in the table
        QTest::addColumn<QString>("expected");
        const QString english = u"7 files · 5 cleaned · 2 failed"_qs;
        QTest::newRow("good translation") << u"%lld Dateien · %lld bereinigt · %lld fehlgeschlagen"_qs
                                          << u"7 Dateien · 5 bereinigt · 2 fehlgeschlagen"_qs;
        QTest::newRow("reordering translation") << u"%2$lld von %1$lld bereinigt, %3$lld Fehler"_qs
                                                << u"5 von 7 bereinigt, 2 Fehler"_qs;
        QTest::newRow("no entry") << QString() << english;
        QTest::newRow("placeholder missing") << u"%lld Dateien · %lld bereinigt"_qs << english;
        QTest::newRow("placeholder extra") << u"%lld · %lld · %lld · %lld"_qs << english;
        QTest::newRow("string conversion") << u"%s Dateien · %lld · %lld"_qs << english;
        QTest::newRow("positional twice") << u"%1$lld · %1$lld · %2$lld"_qs << english;
    }

    void translatedUsesOnlyMatchingEntries()
    {
        QFETCH(QString, entry);
        TableTranslator table;
        if (!entry.isEmpty())
            table.entries.insert(u"files_counter"_qs, entry);
        table.entries.insert(u"unrelated"_qs, u"x"_qs);
        QVERIFY(QCoreApplication::installTranslator(&table));
        const QString text = LocalizedFormat::translated("files_counter", u"%lld files · %lld cleaned · %lld failed", {7, 5, 2});
        QCoreApplication::removeTranslator(&table);
        QTEST(text, "expected");
    }
};

QTEST_GUILESS_MAIN(TestLocalizedFormat)
#include "tst_localizedformat.moc"
