// What to remove, as the settings file and the command line give it: a
// choice comes back as it was made, and anything the app cannot read
// removes everything.

#include <LaunchOptions.h>
#include <Preferences.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class tst_RemovalChoices : public QObject
{
    Q_OBJECT

private slots:
    void aChoiceComesBackAfterARestart()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("settings.ini");
        const KeptFamilies chosen = KeptFamilies().with(TagFamily::dates).with(TagFamily::people);
        {
            QSettings settings(file, QSettings::IniFormat);
            Preferences(settings).setKeptFamilies(chosen);
        }
        QSettings settings(file, QSettings::IniFormat);
        Preferences preferences(settings);
        QCOMPARE(preferences.keptFamilies(), chosen);
        QCOMPARE(preferences.choices().kept, chosen);
        QCOMPARE(preferences.keptFamilyKeys(), (QStringList {"dates", "people"}));
        QVERIFY(!preferences.keepingNote().isEmpty());

        preferences.removeOnlyLocation();
        QVERIFY(!preferences.keptFamilies().keeps(TagFamily::location));
        QVERIFY(preferences.keptFamilies().keeps(TagFamily::serials));
        preferences.removeEverything();
        QVERIFY(preferences.keptFamilies().removesEverything());
        QVERIFY(preferences.keepingNote().isEmpty());
    }

    void whatCannotBeReadRemovesEverything_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("kept");
        QTest::newRow("as written") << QByteArray("[removal]\nversion=1\nkept=\"dates,camera\"\n") << "dates,camera";
        QTest::newRow("by hand, unquoted") << QByteArray("[removal]\nversion=1\nkept=dates,camera\n") << "dates,camera";
        QTest::newRow("no version") << QByteArray("[removal]\nkept=dates\n") << "";
        QTest::newRow("a later version") << QByteArray("[removal]\nversion=2\nkept=dates\n") << "";
        QTest::newRow("version not a number") << QByteArray("[removal]\nversion=one\nkept=dates\n") << "";
        QTest::newRow("an unknown word") << QByteArray("[removal]\nversion=1\nkept=\"dates,faces\"\n") << "";
        QTest::newRow("binary junk") << QByteArray("\xff\xfe\0[removal\n\x01version=1\nkept", 24) << "";
    }

    void whatCannotBeReadRemovesEverything()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, kept);
        QTemporaryDir dir;
        QFile file(dir.filePath("settings.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
        file.close();
        QSettings settings(file.fileName(), QSettings::IniFormat);
        QCOMPARE(Preferences(settings).keptFamilies().toKeys(), kept);
    }

    void theCommandLineSetsItForOneLaunch_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("kept");     // "-" when --keep is absent
        QTest::addColumn<QString>("unknown");
        QTest::newRow("absent") << QStringList {"a.jpg"} << "-" << "";
        QTest::newRow("two") << QStringList {"--keep=dates,people", "a.jpg"} << "dates,people" << "";
        QTest::newRow("nothing") << QStringList {"--keep="} << "" << "";
        QTest::newRow("unknown group") << QStringList {"--keep=dates,faces"} << "-" << "--keep=dates,faces";
        QTest::newRow("after the files") << QStringList {"a.jpg", "--keep=dates"} << "dates" << "";
        // The value is the next argument then, never a file to clean.
        QTest::newRow("value apart") << QStringList {"--keep", "dates", "a.jpg"} << "dates" << "";
    }

    void theCommandLineSetsItForOneLaunch()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, kept);
        QFETCH(QString, unknown);
        QList<QByteArray> bytes;
        for (const QString &argument : std::as_const(arguments))
            bytes.append(argument.toLocal8Bit());
        const LaunchOptions options = LaunchOptions::parse(bytes);
        QCOMPARE(options.keptFamilies ? options.keptFamilies->toKeys() : QStringLiteral("-"), kept);
        QCOMPARE(options.refusedOption, unknown);
        if (unknown.isEmpty())
            QCOMPARE(options.files, QList<QByteArray> {"a.jpg"}.mid(0, arguments.contains("a.jpg") ? 1 : 0));

        // The launch's choice is not stored; one made in Settings takes over.
        QTemporaryDir dir;
        QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
        Preferences preferences(settings);
        preferences.overrideKeptFamilies(options.keptFamilies);
        QCOMPARE(preferences.choices().kept.toKeys(), kept == "-" ? QString() : kept);
        {
            QSettings again(dir.filePath("settings.ini"), QSettings::IniFormat);
            QVERIFY(Preferences(again).keptFamilies().removesEverything());
        }
        // A box changed in Settings starts from what the window shows, and is stored.
        preferences.setRemoves("thumbnails", false);
        const KeptFamilies expected = options.keptFamilies.value_or(KeptFamilies {}).with(TagFamily::thumbnails);
        QSettings again(dir.filePath("settings.ini"), QSettings::IniFormat);
        QCOMPARE(Preferences(again).keptFamilies(), expected);
    }
};

QTEST_GUILESS_MAIN(tst_RemovalChoices)
#include "tst_removalchoices.moc"
