#include "BadInput.h"
#include "CleaningPipeline.h"

#include <Translations.h>

#include <Fixtures.h>
#include <MoreFixtures.h>
#include <LocalName.h>

#include <QImage>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace BadInput;

// Whatever a file manager may hold, dropped on the window: every row ends
// done or in error with a message a person understands, every file is either
// untouched or fully cleaned, nothing is left beside it, and later runs work.
class tst_BadInput : public QObject
{
    Q_OBJECT

    struct Case
    {
        QString name;
        QByteArray path;    // the name's bytes, UTF-8 or not
        QByteArray bytes;   // as made, to tell "untouched" from "cleaned"
        bool mustClean;     // false: an error is the right outcome (or a clean, if the tool manages)
        QString message;    // in the row's error
        bool listed;        // added to the list, or only lying beside what was
    };


private slots:
    void initTestCase() { installTranslations(QLocale(QLocale::English)); }

    void whatAFileManagerHolds_data()
    {
        QTest::addColumn<bool>("persistent");
        QTest::newRow("persistent workers") << true;
        QTest::newRow("one process per run") << false;
    }

    void whatAFileManagerHolds()
    {
        QFETCH(bool, persistent);
        QTemporaryDir dir;
        const QString root = dir.path();
        auto removeAll = qScopeGuard([&root] { removeTree(QFile::encodeName(root)); });
        // Whether a mode of 000 keeps this process out (not with root's powers).
        const QString probe = root + "/probe";
        Fixtures::writeAll(probe, "x");
        QFile::setPermissions(probe, QFileDevice::Permissions());
        const bool permissionsBite = !QFile(probe).open(QIODevice::ReadOnly);
        QFile::remove(probe);
        qInfo("permissions %s", permissionsBite ? "apply" : "do not apply (running with root's powers)");

        QList<Case> cases;
        auto addBytes = [&](const QString &name, const QByteArray &path, bool mustClean, const QString &message = {},
                            bool listed = true) {
            // Reading a pipe would wait for a writer; only regular files have bytes to compare.
            cases.append({name, path, regularFileBytes(path), mustClean, message, listed});
        };
        auto add = [&](const QString &name, const QString &path, bool mustClean, const QString &message = {}, bool listed = true) {
            addBytes(name, QFile::encodeName(path), mustClean, message, listed);
        };

        // Files that must come out clean, whatever their names.
        for (const QString &name : {u"good.jpg"_qs, u"with some spaces.jpg"_qs, u"ünïcødé 写真 🙂.jpg"_qs, u"line\nbreak.jpg"_qs,
                                    u"-all=.jpg"_qs, u" #hash.jpg"_qs})
            add(name, Fixtures::make(root, "jpg", name), true);
        const QString longName = root + "/" + QString(251, u'n') + ".jpg";
        QVERIFY(QFile::rename(Fixtures::make(root, "jpg", "long.jpg"), longName));
        add("255-byte name", longName, true);
        QString deep = root;
        for (int level = 0; level < 24; ++level)
            deep += "/" + QString(120, QChar(u'a' + level % 26));
        QVERIFY(QDir().mkpath(deep) && deep.toUtf8().size() > 2900);
        add("deep path", Fixtures::make(deep, "jpg", "deep.jpg"), true);
        // Names are bytes: Latin-1, and a folder whose own name is not UTF-8.
        addBytes("Latin-1 name", makeNamed(root, "caf\xe9.jpg"), true);
        QVERIFY(QDir().mkpath(root + "/latin"));
        QVERIFY(::rename(QFile::encodeName(root + "/latin").constData(), QFile::encodeName(root + "/d\xfcr").constData()) == 0);
        addBytes("in a folder named in Latin-1", makeNamed(root + "/d\xfcr", "x.jpg"), true);
        addBytes("Latin-1 name in that folder", makeNamed(root + "/d\xfcr", "\xe9t\xe9.jpg"), true);
        // exiftool's leftover from a crash long ago is not ours to delete, nor in the way.
        const QString leftover = Fixtures::make(root, "jpg", "leftover.jpg");
        Fixtures::writeAll(leftover + "_exiftool_tmp", "from a crash long ago");
        add("leftover temporary file", leftover, true);

        // Things that are no picture at all.
        QCOMPARE(::mkfifo(QFile::encodeName(root + "/fifo.jpg").constData(), 0644), 0);
        add("fifo", root + "/fifo.jpg", false, "not a regular file");
        QVERIFY(QFile::link("/dev/zero", root + "/device.jpg"));
        add("device", root + "/device.jpg", false, "not a regular file");
        QVERIFY(QDir().mkpath(root + "/photos.jpg"));
        add("folder named like a picture", root + "/photos.jpg", false, "folder");
        add("picture in that folder", Fixtures::make(root + "/photos.jpg", "jpg", "inside.jpg"), false, {}, false);

        // Content that is no picture, or a broken one.
        Fixtures::writeAll(root + "/text.jpg", Fixtures::author + QByteArray(" wrote this\n"));
        add("text named .jpg", root + "/text.jpg", false, "This is not a JPEG picture (it looks like text). It was left unchanged.");
        Fixtures::writeAll(root + "/zero.jpg", {});
        add("zero bytes", root + "/zero.jpg", false, "File is empty");
        const QByteArray whole = Fixtures::readAll(Fixtures::make(root, "jpg", "whole.jpg"));
        QFile::remove(root + "/whole.jpg");
        Fixtures::writeAll(root + "/truncated.jpg", whole.left(whole.size() * 2 / 3));
        add("truncated JPEG", root + "/truncated.jpg", false);
        for (const QString &extension : MoreFixtures::kinds) {
            const QByteArray made = Fixtures::readAll(Fixtures::make(root, extension, "whole." + extension));
            QFile::remove(root + "/whole." + extension);
            Fixtures::writeAll(root + "/cut." + extension, made.left(made.size() / 2));
            // HEIF's items are removed in place; the check after it finds the rest cut off.
            add("truncated " + extension, root + "/cut." + extension, false,
                extension == "avif" ? "did not pass its check" : "damaged");
        }
        Fixtures::writeAll(root + "/DSCF0001.RAF", MoreFixtures::fujifilmHeader());
        add("Fujifilm raw", root + "/DSCF0001.RAF", false, "does not rewrite Fujifilm RAF files");

        // Audio and drawings a stranger broke: each costs its own row.
        const auto broken = [&](const QString &name, qsizetype keep, const QByteArray &tail = {}) {
            const QString path = Fixtures::make(root, QFileInfo(name).suffix(), name);
            Fixtures::writeAll(path, Fixtures::readAll(path).left(keep) + tail);
            return path;
        };
        add("truncated FLAC", broken("truncated.flac", 60), false, "damaged");
        add("MP3 whose ID3v2 tag runs past the end", broken("long-tag.mp3", 200), false, "damaged");
        add("WAV whose chunk runs past the end", broken("cut.wav", 1000, "bext\xff\xff\xff\x00"), false, "damaged");
        const QString ogg = Fixtures::make(root, "ogg", "flipped.ogg");
        QByteArray flipped = Fixtures::readAll(ogg);
        flipped[flipped.size() - 3] = char(flipped[flipped.size() - 3] ^ 0x20);
        Fixtures::writeAll(ogg, flipped);
        add("Ogg page with a wrong checksum", ogg, false, "damaged");
        Fixtures::writeAll(root + "/laughs.svg", "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY a \"" + QByteArray(Fixtures::author)
                                                     + "\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
                                                       "<svg xmlns=\"http://www.w3.org/2000/svg\"><text>&c;</text></svg>");
        add("SVG of a billion laughs", root + "/laughs.svg", false, "declares entities");
        Fixtures::writeAll(root + "/text.mp3", Fixtures::author + QByteArray(" wrote this\n"));
        add("text named .mp3", root + "/text.mp3", false, "left unchanged");

        // Files that are not ours to replace.
        const QString unreadable = Fixtures::make(root, "jpg", "unreadable.jpg");
        add("unreadable", unreadable, false, permissionsBite ? "ermission" : "");
        QVERIFY(QDir().mkpath(root + "/locked"));
        add("in a read-only folder", Fixtures::make(root + "/locked", "jpg", "inside.jpg"), false,
            permissionsBite ? "cannot write in the folder" : "");
        const QString linked = Fixtures::make(root, "jpg", "linked.jpg");
        QCOMPARE(::link(QFile::encodeName(linked).constData(), QFile::encodeName(root + "/linked-too.jpg").constData()), 0);
        add("hard-linked", linked, false, "hard link");
        add("other name of the hard link", root + "/linked-too.jpg", false, {}, false);
        // A name that looks like the message's own placeholders is shown as it is.
        const QString percent = Fixtures::make(root, "jpg", "h%1%2.jpg");
        QCOMPARE(::link(QFile::encodeName(percent).constData(), QFile::encodeName(root + "/h-too.jpg").constData()), 0);
        add("placeholders in a name", percent, false, "h%1%2.jpg has 1 other names");
        add("other name of that file", root + "/h-too.jpg", false, {}, false);
        add("placeholders in a clean name", Fixtures::make(root, "jpg", "%2 50%1.jpg"), true);
        QFile::setPermissions(unreadable, QFileDevice::Permissions());
        QFile::setPermissions(root + "/locked", QFile::ReadOwner | QFile::ExeOwner);

        // Between adding and cleaning, two files go away.
        const QString vanishing = Fixtures::make(root, "jpg", "vanishing.jpg");
        const QString renamed = Fixtures::make(root, "jpg", "renamed.jpg");
        const QStringList before = entries(root);
        CleaningPipeline pipeline(persistent);
        TessalyViewModel model(pipeline.cleaner, pipeline.pool, ModelOptions{10ms});
        QList<QUrl> urls{QUrl::fromLocalFile(vanishing), QUrl::fromLocalFile(renamed)};
        for (const Case &c : cases)
            if (c.listed)
                urls << urlForLocalPath(c.path);
        model.addFiles(urls);
        QVERIFY(QFile::remove(vanishing));
        QVERIFY(QFile::rename(renamed, root + "/renamed-away.jpg"));
        add("vanishing", vanishing, false, "not found");
        add("renamed", renamed, false, "not found");
        runToTheEnd(model, {});

        QFile::setPermissions(root + "/locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(unreadable, QFile::ReadOwner | QFile::WriteOwner);

        for (const Case &c : cases) {
            const FileItem *item = itemFor(model, c.path);
            const QByteArray now = regularFileBytes(c.path);
            const QString what = c.name + ": " + messageOf(item);
            if (c.mustClean) {
                QVERIFY2(item && item->status == FileStatus::done, qPrintable(what));
                QVERIFY2(Fixtures::found(now, Fixtures::planted("jpg")).isEmpty(), qPrintable(c.name));
                QVERIFY2(!QImage::fromData(now).isNull(), qPrintable(c.name + " no longer decodes"));
                // The tool's tables reach the row.
                const MetadataTable before = Fixtures::ungrouped(item->metadataBefore()),
                                    after = Fixtures::ungrouped(item->metadataAfter());
                QVERIFY2(before.value("Artist") == Fixtures::author && before.contains("GPSLatitude")
                             && !after.contains("Artist") && !after.contains("GPSLatitude") && after.contains("ImageWidth"),
                         qPrintable(c.name));
                // Two names never read the same: a byte that is no text shows its value.
                QCOMPARE(item->fileName, visibleFileName(c.path));
                QVERIFY2(isTextPath(c.path) || item->fileName.contains(u'\uFFFD'), qPrintable(item->fileName));
                QVERIFY2(!item->fileName.contains(u'\n'), qPrintable(c.name));
            } else if (item && item->status == FileStatus::done) {
                // The tool managed after all: then the file must be clean and whole.
                QVERIFY2(!marked(now), qPrintable(what));
            } else if (item) {
                QVERIFY2(item->status == FileStatus::error, qPrintable(what));
                QVERIFY2(item->errorMessage() && item->errorMessage()->size() > 12, qPrintable(what));
                QVERIFY2(now == c.bytes, qPrintable(c.name + " was changed although its row says error"));
            } else {
                QVERIFY2(!c.listed && now == c.bytes, qPrintable(c.name + " was changed although it was never listed"));
            }
            if (c.mustClean)
                QCOMPARE(messageOf(item), QStringLiteral("(no error)"));
            else if (!c.message.isEmpty())
                QVERIFY2(messageOf(item).contains(c.message, Qt::CaseInsensitive), qPrintable(what));
        }
        QCOMPARE(Fixtures::readAll(leftover + "_exiftool_tmp"), QByteArray("from a crash long ago"));
        // Nothing new lies anywhere.
        QStringList expected = before;
        expected.removeOne("vanishing.jpg");
        expected.removeOne("renamed.jpg");
        expected.append("renamed-away.jpg");
        expected.sort();
        QCOMPARE(entries(root), expected);

        // Later runs still work.
        const QString later = Fixtures::make(root, "jpg", "later.jpg");
        runToTheEnd(model, {QUrl::fromLocalFile(later)});
        QCOMPARE(itemFor(model, later)->status, FileStatus::done);
    }
};

int main(int argc, char *argv[])
{
    dropPermissionOverrides(argc, argv);
    QCoreApplication app(argc, argv);
    tst_BadInput test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_badinput.moc"
