#include <MetadataJson.h>

#include <QTest>

class tst_MetadataJson : public QObject
{
    Q_OBJECT

private slots:
    void valuesBecomeText_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");

        QTest::newRow("string kept verbatim") << QByteArray("[{\"A\":\"  spaced \\\"q\\\" \\n\"}]") << "A" << "  spaced \"q\" \n";
        QTest::newRow("fraction keeps its digits") << QByteArray(R"([{"F":2.8}])") << "F" << "2.8";
        QTest::newRow("exponent kept") << QByteArray(R"([{"F":1e-7}])") << "F" << "1e-7";
        QTest::newRow("20-digit integer") << QByteArray(R"([{"N":12345678901234567890123}])") << "N" << "12345678901234567890123";
        QTest::newRow("unsigned 64-bit") << QByteArray(R"([{"N":18446744073709551615}])") << "N" << "18446744073709551615";
        QTest::newRow("null") << QByteArray(R"([{"Z":null}])") << "Z" << "null";
        QTest::newRow("array compact, numbers raw") << QByteArray(R"([{"L":[ 1, 2.50 , "x" ]}])") << "L" << R"([1,2.50,"x"])";
        QTest::newRow("nested object")
            << QByteArray(R"([{"O":{"a":[1,{"b":null}],"c":"\u00e9\n"}}])") << "O" << QStringLiteral(u"{\"a\":[1,{\"b\":null}],\"c\":\"é\\n\"}");
        QTest::newRow("unicode key and value") << QByteArray("[{\"K\xc3\xa9y\":\"v\xe2\x86\x92\"}]") << QStringLiteral(u"Kéy") << QStringLiteral(u"v→");
    }

    void valuesBecomeText()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, key);
        QFETCH(QString, text);
        const auto table = parseMetadataJson(json);
        QVERIFY2(table, qPrintable(table ? QString() : describe(table.error())));
        QCOMPARE(table.value().value(key), text);
    }

    void firstObjectOnlyAndSourceFileDropped()
    {
        const auto table = parseMetadataJson(
            R"([{"SourceFile":"/a.jpg","sourcefile":"kept","Make":"Cam","ISO":100,"Nested":{"SourceFile":"x"}},
                {"SourceFile":"/b.jpg","Other":"ignored"}])");
        QVERIFY(table);
        QCOMPARE(table.value(), (MetadataTable{{"sourcefile", "kept"}, {"Make", "Cam"}, {"ISO", "100"},
                                               {"Nested", R"({"SourceFile":"x"})"}}));
        QVERIFY(parseMetadataJson(R"([{"SourceFile":"/a.jpg"}])").value().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_MetadataJson)
#include "tst_metadatajson.moc"
