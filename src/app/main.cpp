#include <TessalyViewModel.h>
#include <Translations.h>

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Tessaly_UiPlugin)

int main(int argc, char *argv[])
{
    // The window is translucent; it needs an alpha channel from the start.
    QQuickWindow::setDefaultAlphaBuffer(true);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("tessaly"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tessaly"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tessaly"));
    installTranslations();
    // Fusion follows the application palette, light or dark.
    QQuickStyle::setStyle(QStringLiteral("Fusion"));

    // The one model of the process, shared by every window.
    TessalyViewModel viewModel(ModelOptions{});

    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    engine.setInitialProperties({{QStringLiteral("viewModel"), QVariant::fromValue(&viewModel)}});
    QObject::connect(&engine, &QQmlApplicationEngine::objectCreationFailed, &app,
                     [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/qt/qml/Tessaly/App/Main.qml")));
    return app.exec();
}
