#include <Translations.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTranslator>

// Every text id the sources look up is in both tables the app loads, and the
// German text keeps the English one's placeholders. The ids are read from the
// sources at test time, so a text added anywhere without its German entry
// fails here.
namespace {

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
    void everyIdIsInBothTables()
    {
        const QSet<QString> ids = idsInSources();
        QVERIFY2(ids.size() > 20, "the sources were not found");
        QTranslator english, german;
        QVERIFY(english.load(u":/i18n/tessaly_en"_qs) && german.load(u":/i18n/tessaly_de"_qs));
        QStringList faults;
        for (const QString &id : ids) {
            for (int n : {-1, 1, 2}) { // both plural forms, where there are two
                const QString en = english.translate(nullptr, id.toUtf8().constData(), nullptr, n);
                const QString de = german.translate(nullptr, id.toUtf8().constData(), nullptr, n);
                if (n > 0 && en.isEmpty() && de.isEmpty())
                    continue; // not a plural text
                if (en.trimmed().isEmpty() || de.trimmed().isEmpty())
                    faults << id + u": no text"_qs;
                else if (placeholders(en) != placeholders(de))
                    faults << id + u": "_qs + en + u" / "_qs + de;
            }
        }
        faults.removeDuplicates();
        QCOMPARE(faults.join(u'\n'), QString());
    }

    // Texts Qt draws itself, in a German session: none of them is shown in
    // English, in the widgets as they are built.
    void qtTextsAreGerman_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QStringList>("english");
        const QStringList dialogButtons{u"Cancel"_qs, u"&Cancel"_qs, u"Open"_qs, u"&Open"_qs, u"Choose"_qs,
                                        u"&Choose"_qs}; // "OK" is German too
        QTest::newRow("file dialog") << u"fileDialog"_qs
                                     << dialogButtons + QStringList{u"Look in:"_qs, u"File &name:"_qs,
                                                                    u"Files of type:"_qs, u"Folder:"_qs};
        QTest::newRow("a question's buttons") << u"buttonBox"_qs << dialogButtons + QStringList{u"&Yes"_qs, u"&No"_qs};
    }

    void qtTextsAreGerman()
    {
        QFETCH(QString, widget);
        QFETCH(QStringList, english);
        QTranslator *app = installTranslations(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(app);
        std::unique_ptr<QWidget> shown;
        if (widget == u"fileDialog"_qs) {
            auto *dialog = new QFileDialog;
            // Qt's own dialog, the one drawn where the desktop has none of its own.
            dialog->setOption(QFileDialog::DontUseNativeDialog);
            dialog->setFileMode(QFileDialog::ExistingFiles);
            shown.reset(dialog);
        } else {
            shown.reset(new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel | QDialogButtonBox::Yes
                                             | QDialogButtonBox::No));
        }
        QStringList texts;
        for (const auto *button : shown->findChildren<QAbstractButton *>())
            texts << button->text();
        for (const auto *label : shown->findChildren<QLabel *>())
            texts << label->text();
        texts.removeAll(QString());
        QStringList leftEnglish;
        for (const QString &text : std::as_const(texts))
            if (english.contains(text))
                leftEnglish << text;
        // Without any text to look at, the check would pass on a broken build.
        QVERIFY2(texts.size() >= 2, qPrintable(texts.join(u", "_qs)));
        QVERIFY2(leftEnglish.isEmpty(), qPrintable(leftEnglish.join(u", "_qs)));
        shown.reset();
        const auto installed = QCoreApplication::instance()->findChildren<QTranslator *>();
        for (QTranslator *translator : installed) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
