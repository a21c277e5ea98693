// What a screen reader is given: the accessibility tree Qt builds for the
// window, read through QAccessible as the platform bridge (AT-SPI) reads it.

#include "QuickTestSupport.h"

#include <AppCommands.h>
#include <AccessibleItem.h>
#include <Translations.h>

#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <QAccessible>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QQuickView>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>

Q_IMPORT_QML_PLUGIN(Tessaly_UiPlugin)
Q_IMPORT_QML_PLUGIN(Tessaly_AppPlugin)

namespace {

struct Node
{
    QAccessible::Role role;
    QString name;
    QString description;
    bool invisible;
    QAccessibleInterface *node;
};

// Every node under `node`, hidden ones too: a reader is given them all.
void collect(QAccessibleInterface *node, QList<Node> &into, int depth = 0)
{
    if (!node || depth > 64)
        return;
    into.append({node->role(), node->text(QAccessible::Name), node->text(QAccessible::Description),
                 bool(node->state().invisible), node});
    for (int i = 0; i < node->childCount(); ++i)
        collect(node->child(i), into, depth + 1);
}

QList<Node> treeOf(QObject *window)
{
    QList<Node> nodes;
    collect(QAccessible::queryAccessibleInterface(window), nodes);
    return nodes;
}

QList<Node> withRole(const QList<Node> &nodes, QAccessible::Role role)
{
    QList<Node> found;
    for (const Node &node : nodes)
        if (node.role == role)
            found << node;
    return found;
}

// What a reader must not be given: nodes without a name, and nodes of
// items that are not shown.
QString strayNodes(const QList<Node> &nodes)
{
    QStringList stray;
    for (const Node &node : nodes) {
        if (node.name.isEmpty())
            stray << u"unnamed role 0x%1 (%2)"_qs.arg(int(node.role), 0, 16).arg(node.node->object() ? QString::fromLatin1(node.node->object()->metaObject()->className()) + node.node->object()->objectName() : QString());
        else if (node.invisible)
            stray << u"hidden \"%1\""_qs.arg(node.name);
    }
    return stray.join(u", ");
}

} // namespace

class tst_AccessibleTree : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        installTranslations(QLocale(QLocale::English));
        QQuickStyle::setStyle(QStringLiteral("Fusion"));
    }

    void rowsControlsAndCounterAreNamed()
    {
        QuickTestSupport support;
        TessalyViewModel *model = support.createModel(QStringLiteral(R"([{"SourceFile":"x","IFD0:Artist":"Jane Marker"}])"), false,
                                                       QStringLiteral(R"([{"SourceFile":"x","File:ImageWidth":64}])"));
        QQuickView view;
        view.engine()->addImportPath(QStringLiteral("qrc:/qt/qml"));
        view.setInitialProperties({{QStringLiteral("viewModel"), QVariant::fromValue(model)}});
        view.setSource(QUrl(QStringLiteral("qrc:/qt/qml/Tessaly/Ui/ContentView.qml")));
        QVERIFY2(view.status() == QQuickView::Ready, qPrintable(view.errors().value(0).toString()));
        view.resize(700, 500);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        QAccessible::setActive(true);
        const auto read = [&view] {
            QList<Node> shown;
            for (const Node &node : treeOf(&view))
                if (!node.invisible)
                    shown << node;
            return shown;
        };
        const auto unnamedControls = [](const QList<Node> &nodes) {
            QStringList unnamed;
            for (const Node &node : nodes)
                if ((node.role == QAccessible::Button || node.role == QAccessible::ListItem
                     || node.role == QAccessible::ProgressBar) && node.name.isEmpty())
                    unnamed << QString::number(node.role);
            return unnamed.join(u", ");
        };
        QCOMPARE(unnamedControls(read()), QString()); // the empty window

        // Two files of one name, in two folders.
        model->addFiles({support.makeFile(QStringLiteral("photo.jpg")), support.makeFile(QStringLiteral("photo.jpg"))});
        QTRY_COMPARE(model->doneCount(), 2);
        // Fading in, rows count as not shown.
        QTRY_COMPARE(withRole(read(), QAccessible::ListItem).size(), 2);
        const QList<Node> nodes = read();
        QCOMPARE(unnamedControls(nodes), QString());
        QStringList rows, texts, buttons;
        for (const Node &node : nodes) {
            if (node.role == QAccessible::ListItem)
                rows << node.name + u'|' + node.description;
            if (node.role == QAccessible::StaticText)
                texts << node.name;
            if (node.role == QAccessible::Button)
                buttons << node.name + u'|' + node.description;
        }
        QCOMPARE(rows.size(), 2);
        for (const QString &row : rows)
            QVERIFY2(row.startsWith(u"photo.jpg, Cleaned, 1 tag before, 1 after|/"_qs) && row.endsWith(u"/photo.jpg"_qs),
                     qPrintable(row));
        QVERIFY(rows[0] != rows[1]); // told apart by their paths
        QVERIFY2(texts.contains(u"2 files · 2 cleaned · 0 failed"_qs), qPrintable(texts.join(u" / ")));
        QVERIFY2(buttons.contains(u"Clear List|"_qs), qPrintable(buttons.join(u" / ")));
        QCOMPARE(QSet<QString>(buttons.begin(), buttons.end()).size(), buttons.size()); // no two buttons alike
    }

    // The whole window as a reader gets it: every node named, nothing hidden
    // in the tree, the menus named as menus, the progress with a value, and
    // a named notification when a run ends.
    void windowTreeHasNoStrayNodes()
    {
        AccessibleItem::install();
        QuickTestSupport support;
        TessalyViewModel *model = support.createModel(QStringLiteral(R"([{"SourceFile":"x","IFD0:Artist":"Jane Marker"}])"), true,
                                                       QStringLiteral(R"([{"SourceFile":"x","File:ImageWidth":64}])"));
        AppCommands commands(model);
        QQmlApplicationEngine engine;
        engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        engine.setInitialProperties({{u"viewModel"_qs, QVariant::fromValue(model)},
                                     {u"commands"_qs, QVariant::fromValue(&commands)},
                                     {u"settingsInfo"_qs, QVariant::fromValue(support.createSettingsInfo())},
                                     {u"preferences"_qs, QVariant::fromValue(support.createPreferences())}});
        engine.load(QUrl(u"qrc:/qt/qml/Tessaly/App/Main.qml"_qs));
        QVERIFY(!engine.rootObjects().isEmpty());
        auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QAccessible::setActive(true);

        QList<Node> nodes = treeOf(window);
        QCOMPARE(strayNodes(nodes), QString()); // the empty window
        const QList<Node> bars = withRole(nodes, QAccessible::MenuBar);
        QCOMPARE(bars.size(), 1);
        QCOMPARE(bars[0].name, u"Main menu"_qs);
        QStringList menus;
        for (const Node &item : withRole(nodes, QAccessible::MenuItem))
            menus << item.name;
        QCOMPARE(menus, QStringList({u"File"_qs, u"Help"_qs}));
        QCOMPARE(withRole(nodes, QAccessible::Heading).size(), 1);

        model->addFiles({support.makeFile(QStringLiteral("a.jpg")), support.makeFile(QStringLiteral("b.jpg"))});
        QTRY_COMPARE(withRole(treeOf(window), QAccessible::ProgressBar).size(), 1);
        QTRY_COMPARE(strayNodes(treeOf(window)), QString()); // rows fade in
        nodes = treeOf(window);
        QCOMPARE(withRole(nodes, QAccessible::Heading).size(), 0); // the empty state's
        QStringList buttons;
        for (const Node &button : withRole(nodes, QAccessible::Button))
            buttons << button.name;
        QCOMPARE(buttons.count(u"Add Files…"_qs), 1);
        QAccessibleValueInterface *progress = withRole(nodes, QAccessible::ProgressBar)[0].node->valueInterface();
        QVERIFY(progress);
        QCOMPARE(progress->currentValue().toDouble(), 0.0);
        QCOMPARE(progress->minimumValue().toDouble(), 0.0);
        QCOMPARE(progress->maximumValue().toDouble(), 1.0);

        support.openGate();
        QTRY_COMPARE(model->doneCount(), 2);
        QTRY_COMPARE(withRole(treeOf(window), QAccessible::ProgressBar).size(), 0);
        QTRY_COMPARE(strayNodes(treeOf(window)), QString());
        // The run's end is a notification, which a reader speaks as it shows.
        QStringList notifications;
        for (const Node &notification : withRole(treeOf(window), QAccessible::Notification))
            notifications << notification.name;
        QCOMPARE(notifications, QStringList(u"2 files cleaned"_qs));
    }
};

QTEST_MAIN(tst_AccessibleTree)
#include "tst_accessibletree.moc"
