// What a screen reader is given: the accessibility tree Qt builds for the
// window, read through QAccessible as the platform bridge (AT-SPI) reads it.

#include "QuickTestSupport.h"

#include <Translations.h>

#include <QAccessible>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QQuickView>
#include <QTest>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>

Q_IMPORT_QML_PLUGIN(Tessaly_UiPlugin)

namespace {

struct Node
{
    QAccessible::Role role;
    QString name;
    QString description;
};

void collect(QAccessibleInterface *node, QList<Node> &into, int depth = 0)
{
    if (!node || depth > 64)
        return;
    if (!node->state().invisible)
        into.append({node->role(), node->text(QAccessible::Name), node->text(QAccessible::Description)});
    for (int i = 0; i < node->childCount(); ++i)
        collect(node->child(i), into, depth + 1);
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
            QList<Node> nodes;
            collect(QAccessible::queryAccessibleInterface(&view), nodes);
            return nodes;
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
        // Rows fade in; one still transparent is not in the tree yet.
        const auto rowsShown = [&read] {
            const QList<Node> nodes = read();
            return int(std::count_if(nodes.begin(), nodes.end(), [](const Node &node) { return node.role == QAccessible::ListItem; }));
        };
        QTRY_COMPARE(rowsShown(), 2);
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
};

QTEST_MAIN(tst_AccessibleTree)
#include "tst_accessibletree.moc"
