#include "ImageSamples.h"

#include <IccProfile.h>

#include <QColorSpace>
#include <QTest>
#include <QtEndian>

using namespace ImageSamples;

class TestIccProfile : public QObject
{
    Q_OBJECT

private slots:
    void scrubsWhatNamesTheMaker_data();
    void scrubsWhatNamesTheMaker();
    void refusesDamagedProfiles_data();
    void refusesDamagedProfiles();
};

void TestIccProfile::scrubsWhatNamesTheMaker_data()
{
    QTest::addColumn<QByteArray>("profile");
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("identifying");
    QTest::newRow("version 2, a personal name") << iccProfile(2, displayMark) << "Colour profile" << true;
    QTest::newRow("version 4, a personal name") << iccProfile(4, displayMark) << "Colour profile" << true;
    QTest::newRow("version 2, a standard name") << iccProfile(2, "sRGB IEC61966-2.1") << "sRGB IEC61966-2.1" << true;
    QTest::newRow("version 4, a standard name") << iccProfile(4, "Display P3") << "Display P3" << true;
    QTest::newRow("Qt's own Display P3") << QColorSpace(QColorSpace::DisplayP3).iccProfile() << "Display P3" << true;
    QTest::newRow("scrubbed already") << cleanIcc(iccProfile(2, "sRGB")).value() << "sRGB" << false;
}

void TestIccProfile::scrubsWhatNamesTheMaker()
{
    QFETCH(QByteArray, profile);
    QFETCH(QString, description);
    QFETCH(bool, identifying);
    QCOMPARE(walkIcc(profile).hasIdentifying(), identifying);

    const auto cleaned = cleanIcc(profile);
    QVERIFY(cleaned);
    const QByteArray out = cleaned.value();
    for (const QByteArray &mark : QList<QByteArray> {makerMark, modelMark, copyrightMark, displayMark, metaMark} + headerMarks)
        QVERIFY2(!out.contains(mark), mark.constData());
    for (auto [at, length] : {std::pair {24, 12}, {48, 8}, {80, 20}})
        QCOMPARE(out.mid(at, length), QByteArray(length, '\0'));
    QCOMPARE(qFromBigEndian<quint32>(out.constData()), quint32(out.size()));
    for (const char *gone : {"dmnd", "dmdd", "cprt", "meta"})
        QVERIFY2(iccTag(out, gone).isEmpty(), gone);
    for (const char *colour : {"wtpt", "rXYZ", "gXYZ", "bXYZ", "rTRC", "gTRC", "bTRC"}) {
        QCOMPARE(iccTag(out, colour), iccTag(profile, colour));
        QCOMPARE(iccTagOffset(out, colour) % 4, 0u);
    }
    if (iccTagOffset(profile, "rTRC") == iccTagOffset(profile, "gTRC"))
        QCOMPARE(iccTagOffset(out, "gTRC"), iccTagOffset(out, "rTRC"));
    QCOMPARE(iccDescription(out), std::optional<QString>(description));

    const ContainerWalk walk = walkIcc(out);
    QVERIFY(!walk.hasIdentifying());
    const QColorSpace before = QColorSpace::fromIccProfile(profile), after = QColorSpace::fromIccProfile(out);
    QVERIFY(after.isValid());
    QCOMPARE(after, before);
    QCOMPARE(cleanIcc(out).value(), out);
}

void TestIccProfile::refusesDamagedProfiles_data()
{
    QTest::addColumn<QByteArray>("profile");
    const QByteArray good = iccProfile(4, displayMark);
    const auto patched = [&good](int at, quint32 value) {
        QByteArray bad = good;
        qToBigEndian(value, bad.data() + at);
        return bad;
    };
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("cut short") << good.first(good.size() - 9);
    QTest::newRow("header only") << good.first(130);
    QTest::newRow("size beyond the bytes") << patched(0, quint32(good.size() + 1));
    QTest::newRow("no signature") << patched(36, 0x41424344);
    QTest::newRow("tag count past the end") << patched(128, 100000);
    QTest::newRow("tag data past the end") << patched(132 + 4, quint32(good.size() - 2));
    QTest::newRow("tag size wraps around") << patched(132 + 8, 0xFFFFFFF0u);
    QTest::newRow("tag inside the header") << patched(132 + 4, 8);
}

void TestIccProfile::refusesDamagedProfiles()
{
    QFETCH(QByteArray, profile);
    QVERIFY(walkIcc(profile).damage);
    QVERIFY(walkIcc(profile).hasIdentifying());
    QVERIFY(!cleanIcc(profile));
    QVERIFY(!iccDescription(profile));
}

QTEST_GUILESS_MAIN(TestIccProfile)
#include "tst_iccprofile.moc"
