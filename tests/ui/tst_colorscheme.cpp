// Whether the app is dark: the desktop portal's answer and its changes, a
// dark GTK theme, the palette, in that order.

#include <ColorScheme.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QPalette>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

namespace {

const QString portalPath = u"/org/freedesktop/portal/desktop"_qs;

// The settings of a desktop portal: the colour scheme and nothing else.
// `readOne` false plays an older portal, which has only Read.
class FakePortal : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    FakePortal(uint scheme, bool readOne) : m_scheme(scheme), m_readOne(readOne) {}

public slots:
    QDBusVariant ReadOne(const QString &group, const QString &key)
    {
        if (!m_readOne)
            sendErrorReply(QDBusError::UnknownMethod, u"no such method"_qs);
        return QDBusVariant(answer(group, key));
    }
    QDBusVariant Read(const QString &group, const QString &key)
    {
        return QDBusVariant(QVariant::fromValue(QDBusVariant(answer(group, key))));
    }

private:
    QVariant answer(const QString &group, const QString &key) const
    {
        return group == u"org.freedesktop.appearance"_qs && key == u"color-scheme"_qs ? QVariant(m_scheme) : QVariant(0u);
    }

    uint m_scheme;
    bool m_readOne;
};

QColor lightWindow() { return QColor(0xef, 0xef, 0xef); }
QColor darkWindow() { return QColor(0x31, 0x36, 0x3b); }

} // namespace

class tst_ColorScheme : public QObject
{
    Q_OBJECT

private slots:
    void decide_data()
    {
        QTest::addColumn<ColorScheme::Preference>("portal");
        QTest::addColumn<QByteArray>("gtkTheme");
        QTest::addColumn<QColor>("window");
        QTest::addColumn<bool>("dark");
        QTest::newRow("nothing asked, light palette") << ColorScheme::Preference::None << QByteArray() << lightWindow() << false;
        QTest::newRow("nothing asked, dark palette") << ColorScheme::Preference::None << QByteArray() << darkWindow() << true;
        QTest::newRow("GTK_THEME=Adwaita:dark") << ColorScheme::Preference::None << QByteArray("Adwaita:dark") << lightWindow() << true;
        QTest::newRow("GTK_THEME=Adwaita-dark") << ColorScheme::Preference::None << QByteArray("Adwaita-dark") << lightWindow() << true;
        QTest::newRow("GTK_THEME=Adwaita") << ColorScheme::Preference::None << QByteArray("Adwaita") << lightWindow() << false;
        QTest::newRow("portal dark over a light palette") << ColorScheme::Preference::Dark << QByteArray() << lightWindow() << true;
        QTest::newRow("portal light over a dark GTK theme") << ColorScheme::Preference::Light << QByteArray("Adwaita:dark") << darkWindow() << false;
    }
    void decide()
    {
        QFETCH(ColorScheme::Preference, portal);
        QFETCH(QByteArray, gtkTheme);
        QFETCH(QColor, window);
        QFETCH(bool, dark);
        QCOMPARE(ColorScheme::decide(portal, gtkTheme, window), dark);
    }

    void portalAnswers_data()
    {
        QTest::addColumn<QVariant>("answer");
        QTest::addColumn<ColorScheme::Preference>("preference");
        const auto wrapped = [](const QVariant &v) { return QVariant::fromValue(QDBusVariant(v)); };
        QTest::newRow("ReadOne: dark") << wrapped(1u) << ColorScheme::Preference::Dark;
        QTest::newRow("ReadOne: light") << wrapped(2u) << ColorScheme::Preference::Light;
        QTest::newRow("ReadOne: no preference") << wrapped(0u) << ColorScheme::Preference::None;
        QTest::newRow("Read: dark, wrapped twice") << wrapped(wrapped(1u)) << ColorScheme::Preference::Dark;
        QTest::newRow("an unknown number") << wrapped(7u) << ColorScheme::Preference::None;
        QTest::newRow("a text") << wrapped(u"dark"_qs) << ColorScheme::Preference::None;
        QTest::newRow("nothing") << QVariant() << ColorScheme::Preference::None;
    }
    void portalAnswers()
    {
        QFETCH(QVariant, answer);
        QFETCH(ColorScheme::Preference, preference);
        QCOMPARE(ColorScheme::preferenceFromPortal(answer), preference);
    }

    // A portal on a private bus, in a thread of its own as a real one is in a
    // process of its own: its answer decides over the light palette, and
    // its change signal is followed.
    void followsThePortal_data()
    {
        QTest::addColumn<bool>("readOne");
        QTest::newRow("ReadOne") << true;
        QTest::newRow("only Read (an older portal)") << false;
    }
    void followsThePortal()
    {
        QFETCH(bool, readOne);
        const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_qs);
        if (daemon.isEmpty())
            QSKIP("needs dbus-daemon (package dbus)");
        QProcess busProcess;
        busProcess.start(daemon, {u"--session"_qs, u"--nofork"_qs, u"--print-address=1"_qs});
        QVERIFY(busProcess.waitForReadyRead(10000));
        const QString address = QString::fromUtf8(busProcess.readLine()).trimmed();
        const auto stopBus = qScopeGuard([&busProcess] { busProcess.kill(); busProcess.waitForFinished(); });

        const QString portalName = u"portal%1"_qs.arg(readOne);
        QDBusConnection portalBus = QDBusConnection::connectToBus(address, portalName);
        QVERIFY(portalBus.isConnected());
        QThread portalThread;
        FakePortal portal(1, readOne);
        portal.moveToThread(&portalThread);
        portalThread.start();
        const auto stopPortal = qScopeGuard([&] {
            portalThread.quit();
            portalThread.wait();
            QDBusConnection::disconnectFromBus(portalName);
        });
        QVERIFY(portalBus.registerObject(portalPath, &portal, QDBusConnection::ExportAllSlots));
        QVERIFY(portalBus.registerService(u"org.freedesktop.portal.Desktop"_qs));

        const QString appName = u"app%1"_qs.arg(readOne);
        QDBusConnection appBus = QDBusConnection::connectToBus(address, appName);
        const auto closeApp = qScopeGuard([&] { QDBusConnection::disconnectFromBus(appName); });
        QVERIFY(QGuiApplication::palette().color(QPalette::Window).lightnessF() > 0.5);
        ColorScheme scheme(appBus);
        QVERIFY(scheme.dark());

        QSignalSpy changed(&scheme, &ColorScheme::darkChanged);
        QDBusMessage signal = QDBusMessage::createSignal(portalPath, u"org.freedesktop.portal.Settings"_qs, u"SettingChanged"_qs);
        signal << u"org.freedesktop.appearance"_qs << u"color-scheme"_qs << QVariant::fromValue(QDBusVariant(2u));
        QVERIFY(portalBus.send(signal));
        QTRY_COMPARE(changed.size(), 1);
        QVERIFY(!scheme.dark());
    }

    // Without a portal, a palette that turns dark turns the app dark.
    void followsThePalette()
    {
        qunsetenv("GTK_THEME");
        const QPalette before = QGuiApplication::palette();
        const auto restore = qScopeGuard([&before] { QGuiApplication::setPalette(before); });
        ColorScheme scheme(QDBusConnection(u"none"_qs));
        QVERIFY(!scheme.dark());
        QSignalSpy changed(&scheme, &ColorScheme::darkChanged);
        QPalette dark = before;
        dark.setColor(QPalette::Window, darkWindow());
        QGuiApplication::setPalette(dark);
        QTRY_COMPARE(changed.size(), 1);
        QVERIFY(scheme.dark());
    }
};

QTEST_MAIN(tst_ColorScheme)
#include "tst_colorscheme.moc"
