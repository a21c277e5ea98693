#include "QuickTestSupport.h"

#include <Translations.h>

#include <QLocale>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QtQml/qqmlextensionplugin.h>
#include <QtQuickTest>

Q_IMPORT_QML_PLUGIN(Tessaly_UiPlugin)
Q_IMPORT_QML_PLUGIN(Tessaly_AppPlugin)

class Setup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        installTranslations(QLocale(QLocale::English));
        QQuickStyle::setStyle(QStringLiteral("Fusion"));
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        qmlRegisterSingletonInstance("Tessaly.Test", 1, 0, "TestSupport", &m_support);
    }

private:
    QuickTestSupport m_support;
};

QUICK_TEST_MAIN_WITH_SETUP(tessaly_ui, Setup)

#include "tst_quick.moc"
