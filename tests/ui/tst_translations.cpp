#include <Translations.h>

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

// Every text id the sources look up has an entry in each string table, and
// each entry keeps the placeholders of its English source. Ids are read from
// the sources at test time, so a text added anywhere without its German
// entry fails here.
namespace {

struct Entry
{
    QString source;
    QStringList translations; // one, or one per plural form
    bool finished = true;
};

QHash<QString, Entry> readTable(const QString &path)
{
    QHash<QString, Entry> table;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return table;
    QXmlStreamReader xml(&file);
    QString id;
    Entry entry;
    bool numerus = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"message") {
                id = xml.attributes().value(QLatin1String("id")).toString();
                numerus = xml.attributes().value(QLatin1String("numerus")) == u"yes";
                entry = {};
            } else if (xml.name() == u"source") {
                entry.source = xml.readElementText();
            } else if (xml.name() == u"translation") {
                const QStringView type = xml.attributes().value(QLatin1String("type"));
                entry.finished = type != u"unfinished" && type != u"vanished" && type != u"obsolete";
                if (!numerus)
                    entry.translations.append(xml.readElementText());
            } else if (xml.name() == u"numerusform") {
                entry.translations.append(xml.readElementText());
            }
        } else if (xml.isEndElement() && xml.name() == u"message") {
            table.insert(id, entry);
        }
    }
    return table;
}

// Ids passed as literals to qtTrId/qsTrId, or to the records' translated().
QSet<QString> idsInSources()
{
    static const QRegularExpression call(QStringLiteral("\\b(?:qtTrId|qsTrId|QT_TRID_NOOP|translated)\\(\\s*\"([^\"]+)\""));
    QSet<QString> ids;
    QDirIterator it(QStringLiteral(TESSALY_SOURCE_DIR "/src"), {u"*.cpp"_qs, u"*.h"_qs, u"*.qml"_qs, u"*.js"_qs},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (auto match = call.globalMatch(text); match.hasNext();)
            ids.insert(match.next().captured(1));
    }
    return ids;
}

// "%1", "%2", ... and whether %n / %Ln appears.
QStringList placeholders(const QString &text)
{
    static const QRegularExpression placeholder(QStringLiteral("%L?(\\d+|n)"));
    QStringList found;
    for (auto match = placeholder.globalMatch(text); match.hasNext();)
        found.append(match.next().captured(1));
    found.sort();
    found.removeDuplicates();
    return found;
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(idsInSources().size() > 20, "the sources were not found");
    }

    void everyIdHasAnEntry_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("id");
        const QList<QString> ids = idsInSources().values();
        for (const char *language : {"de", "en"}) {
            for (const QString &id : ids)
                QTest::addRow("%s %s", language, qPrintable(id)) << QString::fromLatin1(language) << id;
        }
    }

    void everyIdHasAnEntry()
    {
        QFETCH(QString, language);
        QFETCH(QString, id);
        const auto table = readTable(QStringLiteral(TESSALY_SOURCE_DIR "/resources/translations/tessaly_%1.ts").arg(language));
        QVERIFY2(table.contains(id), qPrintable(u"no entry for "_qs + id));
        const Entry entry = table.value(id);
        QVERIFY(entry.finished);
        QVERIFY(!entry.translations.isEmpty());
        for (const QString &translation : entry.translations) {
            QVERIFY2(!translation.trimmed().isEmpty(), "empty translation");
            QCOMPARE(placeholders(translation), placeholders(entry.source));
        }
        // German and English both tell one from several.
        if (placeholders(entry.source).contains(u"n"_qs))
            QCOMPARE(entry.translations.size(), 2);

        // What the app loads is what the table says.
        QTranslator translator;
        QVERIFY(translator.load(QStringLiteral(":/i18n/tessaly_%1").arg(language)));
        QVERIFY(!translator.translate(nullptr, id.toUtf8().constData()).isEmpty());
    }

    // An id dropped from one table but not the other shows in one language only.
    void tablesHoldTheSameIds()
    {
        const auto german = readTable(QStringLiteral(TESSALY_SOURCE_DIR "/resources/translations/tessaly_de.ts"));
        const auto english = readTable(QStringLiteral(TESSALY_SOURCE_DIR "/resources/translations/tessaly_en.ts"));
        QVERIFY(!german.isEmpty());
        QStringList germanIds = german.keys(), englishIds = english.keys();
        germanIds.sort();
        englishIds.sort();
        QCOMPARE(germanIds, englishIds);
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
