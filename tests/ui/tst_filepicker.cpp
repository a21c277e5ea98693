#include <FilePicker.h>
#include <Translations.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestFilePicker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(installTranslations(QLocale(QLocale::English))); }

    // Qt's own dialog (no platform theme here) takes several files at once,
    // and opens once however often it is asked for.
    void picksSeveralFiles()
    {
        QTemporaryDir dir;
        for (const char *name : {"a.jpg", "b.PDF", "c.txt"})
            QVERIFY(QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
        FilePicker picker;
        QSignalSpy chosen(&picker, &FilePicker::chosen);
        picker.open();
        QFileDialog *dialog = picker.dialog();
        QVERIFY(dialog);
        picker.open(); // an open dialog stays the one
        QCOMPARE(picker.dialog(), dialog);

        dialog->setDirectory(dir.path());
        auto *name = dialog->findChild<QLineEdit *>(u"fileNameEdit"_qs);
        QVERIFY(name);
        name->setText(u"\"a.jpg\" \"b.PDF\""_qs);
        static_cast<QDialog *>(dialog)->accept(); // what its Open button does
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.at(0).at(0).value<QList<QUrl>>(),
                 (QList<QUrl>{QUrl::fromLocalFile(dir.filePath(u"a.jpg"_qs)), QUrl::fromLocalFile(dir.filePath(u"b.PDF"_qs))}));
        QTRY_VERIFY(!picker.dialog()); // closed and gone
    }
};

QTEST_MAIN(TestFilePicker)
#include "tst_filepicker.moc"
