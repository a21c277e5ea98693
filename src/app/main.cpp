#include <AppCommands.h>
#include <CommandLineFiles.h>
#include <FileCleaner.h>
#include <StagingJournal.h>
#include <StayOpenRunner.h>
#include <RenderingBackend.h>
#include <SettingsInfo.h>
#include <TessalyViewModel.h>
#include <Translations.h>
#include <WindowTranslucency.h>

#include <QDir>
#include <QThread>
#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QThreadPool>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Tessaly_AppPlugin)

namespace {

QVariant recordedVersion()
{
#ifdef TESSALY_VERSION
    return QStringLiteral(TESSALY_VERSION);
#else
    return {};
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    // The main window is translucent; it needs an alpha channel from the start.
    QQuickWindow::setDefaultAlphaBuffer(true);
    QGuiApplication app(argc, argv);
    chooseSceneGraphBackend();
    QGuiApplication::setApplicationName(QStringLiteral("tessaly"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tessaly"));
    QGuiApplication::setApplicationVersion(recordedVersion().toString());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessaly.Tessaly"));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tessaly.Tessaly")));
    installTranslations();
    // Fusion follows the application palette, light or dark.
    QQuickStyle::setStyle(QStringLiteral("Fusion"));

    // Whoever cleans needs these, and they outlive the model that uses them.
    // Every job blocks its thread while a tool runs, so the pool's bound is
    // also the number of tool processes alive at once.
    QThreadPool toolPool;
    toolPool.setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 2, 8));
    StayOpenRunner runner({.workersPerTool = toolPool.maxThreadCount()});
    const StagingJournal journal(StagingJournal::defaultFolder());
    // Copies left by an earlier run that was killed hold the very metadata
    // their users wanted gone.
    journal.sweep();
    const ToolPaths tools = ToolPaths::installed();
    const FileCleaner cleaner(tools, runner, RunLimits{}, &journal);
    // On quit, tools under way stop at once and their staged copies go.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&runner] { runner.stopAll(); });

    // The one model of the process, shared by every window.
    TessalyViewModel viewModel(cleaner, toolPool);
    AppCommands commands(&viewModel);
    SettingsInfo settingsInfo(recordedVersion());

    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    engine.setInitialProperties({
        {QStringLiteral("viewModel"), QVariant::fromValue(&viewModel)},
        {QStringLiteral("commands"), QVariant::fromValue(&commands)},
        {QStringLiteral("settingsInfo"), QVariant::fromValue(&settingsInfo)},
    });
    QObject::connect(&engine, &QQmlApplicationEngine::objectCreationFailed, &app,
                     [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/qt/qml/Tessaly/App/Main.qml")));
    makeWindowTranslucent(QGuiApplication::topLevelWindows());
    // The tool starts while the window is idle, not when the first files arrive.
    cleaner.exiftool().prepare();

    // Files named on the command line ("Open With" from a file manager) are
    // added once the window is up, exactly as a picker selection would be.
    const QList<QUrl> urls = urlsFromArguments(app.arguments().mid(1), QDir::currentPath());
    if (!urls.isEmpty())
        QMetaObject::invokeMethod(&viewModel, [&viewModel, urls] { viewModel.addFiles(urls); }, Qt::QueuedConnection);

    return app.exec();
}
