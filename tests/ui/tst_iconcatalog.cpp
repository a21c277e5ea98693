#include <IconCatalog.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

// Every symbol the views name is shipped, readable, and drawn in exactly
// the colour asked for, cut-outs included.
class TestIconCatalog : public QObject
{
    Q_OBJECT

private slots:
    void everySymbolRendersInItsTint_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QColor>("tint");
        // Every symbol a view or its C++ names, as the sources spell it.
        QSet<QString> used;
        static const QRegularExpression named(uR"re((?:symbol|Symbol)\s*[:=(]\s*[^\n]*?"([a-z.]+)")re"_qs);
        QDirIterator it(QStringLiteral(TESSALY_SOURCE_DIR "/src"), {u"*.qml"_qs, u"*.cpp"_qs},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile source(it.next());
            QVERIFY(source.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(source.readAll());
            for (auto match = named.globalMatch(text); match.hasNext();)
                used.insert(match.next().captured(1));
        }
        QVERIFY2(used.size() >= 10, "the scan found too few symbols to mean anything");
        for (const QString &symbol : std::as_const(used)) {
            QTest::addRow("%s on light", qPrintable(symbol)) << symbol << QColor(0, 122, 255);
            QTest::addRow("%s on dark", qPrintable(symbol)) << symbol << QColor(235, 235, 245, 153);
        }
    }

    void everySymbolRendersInItsTint()
    {
        QFETCH(QString, symbol);
        QFETCH(QColor, tint);
        QVERIFY(QFile::exists(IconCatalog::resourcePath(symbol)));
        const QImage image = IconCatalog::render(symbol, QSize(32, 32), tint).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(32, 32));
        int inked = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) < 64)
                    continue;
                ++inked;
                // Premultiplication rounds; allow a step either way.
                QVERIFY2(qAbs(qRed(pixel) - tint.red()) <= 2 && qAbs(qGreen(pixel) - tint.green()) <= 2
                             && qAbs(qBlue(pixel) - tint.blue()) <= 2 && qAlpha(pixel) <= tint.alpha(),
                         qPrintable(u"pixel %1,%2"_qs.arg(x).arg(y)));
            }
        }
        QVERIFY2(inked > 32 * 32 / 20, qPrintable(QString::number(inked))); // visible
    }
};

QTEST_GUILESS_MAIN(TestIconCatalog)
#include "tst_iconcatalog.moc"
