// The contrast of Theme's colour pairs, light and dark, opaque and over the
// worst desktop a translucent window can show through (black or white):
// text 4.5:1, symbols and the progress fill 3:1 (WCAG 2.1, 1.4.3 and 1.4.11).

#include <QColor>
#include <QGuiApplication>
#include <QPalette>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <cmath>
#include <memory>

Q_IMPORT_QML_PLUGIN(Tessaly_UiPlugin)

namespace {

double channel(double c)
{
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &c)
{
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double ratio(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// `top` drawn over the opaque `below`.
QColor over(const QColor &top, const QColor &below)
{
    const double a = top.alphaF();
    return QColor::fromRgbF(top.redF() * a + below.redF() * (1 - a), top.greenF() * a + below.greenF() * (1 - a),
                            top.blueF() * a + below.blueF() * (1 - a));
}

// KDE Plasma's Breeze Dark.
QPalette breezeDark()
{
    QPalette p;
    for (auto [role, colour] : {std::pair{QPalette::Window, 0x202326}, {QPalette::WindowText, 0xfcfcfc},
                                {QPalette::Base, 0x141618}, {QPalette::AlternateBase, 0x1d1f22},
                                {QPalette::Text, 0xfcfcfc}, {QPalette::Button, 0x292c30},
                                {QPalette::ButtonText, 0xfcfcfc}, {QPalette::Highlight, 0x3daee9},
                                {QPalette::HighlightedText, 0xfcfcfc}})
        p.setColor(role, QColor::fromRgb(colour));
    return p;
}

} // namespace

class tst_ThemeContrast : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Nothing of this desktop's own portal or theme counts.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tessaly-test-bus");
        qunsetenv("GTK_THEME");
        m_light = QGuiApplication::palette();
        QVERIFY(m_light.color(QPalette::Window).lightnessF() > 0.5);
    }

    void pairsReachTheirContrast_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<bool>("translucent");
        for (const char *scheme : {"light palette", "KDE Breeze Dark palette", "GNOME dark over a light palette"}) {
            QTest::addRow("%s, opaque", scheme) << QString::fromLatin1(scheme) << false;
            QTest::addRow("%s, translucent", scheme) << QString::fromLatin1(scheme) << true;
        }
    }
    void pairsReachTheirContrast()
    {
        QFETCH(QString, scheme);
        QFETCH(bool, translucent);
        QGuiApplication::setPalette(scheme.startsWith(u"KDE") ? breezeDark() : m_light);
        if (scheme.startsWith(u"GNOME"))
            qputenv("GTK_THEME", "Adwaita:dark");
        else
            qunsetenv("GTK_THEME");

        QQmlEngine engine;
        engine.addImportPath(u"qrc:/qt/qml"_qs);
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nimport Tessaly.Ui\nQtObject { property QtObject theme: Theme }", QUrl());
        std::unique_ptr<QObject> holder(component.create());
        QVERIFY2(holder, qPrintable(component.errorString()));
        QObject *theme = holder->property("theme").value<QObject *>();
        QVERIFY(theme);
        QCOMPARE(theme->property("dark").toBool(), !scheme.startsWith(u"light"));
        theme->setProperty("translucent", translucent);
        const auto colour = [theme](const char *name) { return theme->property(name).value<QColor>(); };

        QStringList failures, figures;
        const auto check = [&](const QString &pair, const QColor &front, const QColor &back, double minimum) {
            const double r = ratio(over(front, back), back);
            figures << u"%1 %2"_qs.arg(pair).arg(r, 0, 'f', 2);
            if (r < minimum)
                failures << u"%1: %2 < %3"_qs.arg(pair).arg(r, 0, 'f', 2).arg(minimum);
        };
        const QList<QColor> desktops = translucent ? QList<QColor>{Qt::black, Qt::white} : QList<QColor>{Qt::black};
        for (const QColor &desktop : desktops) {
            const QColor window = over(colour("ultraThinMaterial"), desktop);
            const QList<std::pair<QString, QColor>> grounds{{u"window"_qs, window},
                                                            {u"card"_qs, over(colour("thickMaterial"), window)},
                                                            {u"floating"_qs, over(colour("floatingMaterial"), window)}};
            for (const auto &[groundName, ground] : grounds) {
                for (const char *text : {"primaryLabel", "secondaryLabel", "tertiaryLabel"})
                    check(u"%1 on %2"_qs.arg(QString::fromLatin1(text), groundName), colour(text), ground, 4.5);
                check(u"focusRing on %1"_qs.arg(groundName), colour("focusRing"), ground, 3);
            }
            const QColor card = grounds[1].second;
            // The status words on a row are text; the rest are symbols.
            for (const char *text : {"blue", "green", "red"})
                check(u"%1 on card"_qs.arg(QString::fromLatin1(text)), colour(text), card, 4.5);
            for (const char *symbol : {"orange", "purple", "yellow", "quaternaryLabel"})
                check(u"%1 on card"_qs.arg(QString::fromLatin1(symbol)), colour(symbol), card, 3);
            const QColor track = over(colour("progressTrack"), grounds[2].second);
            check(u"progressFill on track"_qs, colour("progressFill"), track, 3);
            check(u"green (run done) on track"_qs, colour("green"), track, 3);
        }
        // The controls' palette (Settings, menus, dialogs) is opaque.
        check(u"windowText on window"_qs, colour("windowText"), colour("window"), 4.5);
        check(u"secondaryLabel on window"_qs, colour("secondaryLabel"), colour("window"), 4.5);
        check(u"buttonText on button"_qs, colour("buttonText"), colour("button"), 4.5);
        check(u"text on base"_qs, colour("text"), colour("base"), 4.5);
        check(u"highlightedText on highlight"_qs, colour("highlightedText"), colour("highlight"), 4.5);
        qInfo().noquote() << figures.join(u"; ");
        QCOMPARE(failures.join(u"; "), QString());
    }

private:
    QPalette m_light;
};

QTEST_MAIN(tst_ThemeContrast)
#include "tst_themecontrast.moc"
