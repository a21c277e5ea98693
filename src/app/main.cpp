#include <AppCommands.h>
#include <CommandLineFiles.h>
#include <DropIntake.h>
#include <FilePicker.h>
#include <LaunchOptions.h>
#include <Preferences.h>
#include <TerminationSignals.h>
#include <FileCleaner.h>
#include <StagingJournal.h>
#include <StayOpenRunner.h>
#include <RenderingBackend.h>
#include <RunNotifier.h>
#include <SettingsInfo.h>
#include <SingleInstance.h>
#include <TessalyViewModel.h>
#include <Translations.h>
#include <WindowTranslucency.h>

#include <QDir>
#include <QThread>
#include <QApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QSettings>
#include <QThreadPool>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

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
    // Help needs no display: answered before any window system is touched.
    QStringList rawArguments;
    for (int i = 1; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    if (LaunchOptions::parse(rawArguments).showHelp) {
        QCoreApplication helpOnly(argc, argv);
        installTranslations();
        std::fputs(qPrintable(LaunchOptions::helpText()), stdout);
        return 0;
    }

    // The main window is translucent; it needs an alpha channel from the start.
    QQuickWindow::setDefaultAlphaBuffer(true);
    const QByteArray theme = FilePicker::preferredPlatformTheme(qgetenv("QT_QPA_PLATFORMTHEME"), qgetenv("XDG_CURRENT_DESKTOP"));
    if (!theme.isEmpty())
        qputenv("QT_QPA_PLATFORMTHEME", theme);
    // A QApplication: the file picker is Qt Widgets' dialog.
    QApplication app(argc, argv);
    chooseSceneGraphBackend();
    QGuiApplication::setApplicationName(QStringLiteral("tessaly"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tessaly"));
    QGuiApplication::setApplicationVersion(recordedVersion().toString());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessaly.Tessaly"));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tessaly.Tessaly")));
    installTranslations();
    // Fusion follows the application palette, light or dark.
    QQuickStyle::setStyle(QStringLiteral("Fusion"));

    // A later launch gives its files to the window already open and ends,
    // before it touches the journal the first one writes.
    SingleInstance instance;
    {
        const LaunchOptions early = LaunchOptions::parse(app.arguments().mid(1));
        const QList<QUrl> handed = urlsFromArguments(early.files, QDir::currentPath());
        if (early.unknownOption.isEmpty()
            && (SingleInstance::handOver(handed, early.keepOriginal, early.review)
                || (!instance.registerInstance() && SingleInstance::handOver(handed, early.keepOriginal, early.review))))
            return 0;
    }

    // Whoever cleans needs these, and they outlive the model that uses them.
    // One exiftool worker per core; twice as many jobs, so that while one job
    // waits for the disk to take its cleaned file, another keeps the worker busy.
    const int cores = std::clamp(QThread::idealThreadCount(), 2, 8);
    QThreadPool toolPool;
    toolPool.setMaxThreadCount(2 * cores);
    StayOpenRunner runner({.workersPerTool = cores});
    const StagingJournal journal(StagingJournal::defaultFolder());
    // Copies left by an earlier run that was killed hold the very metadata
    // their users wanted gone.
    journal.sweep();
    const ToolPaths tools = ToolPaths::installed();
    const FileCleaner cleaner(tools, runner, RunLimits{}, &journal);
    // On quit, tools under way stop at once and their staged copies go.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&runner] { runner.stopAll(); });
    quitOnTerminationSignals(app);

    const LaunchOptions launch = LaunchOptions::parse(app.arguments().mid(1));
    if (!launch.unknownOption.isEmpty()) {
        std::fprintf(stderr, "tessaly: unknown option %s (see tessaly --help)\n", qPrintable(launch.unknownOption));
        return 2;
    }
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tessaly"), QStringLiteral("tessaly"));
    Preferences preferences(settings);
    preferences.overrideKeepOriginal(launch.keepOriginal);
    preferences.overrideKeptFamilies(launch.keptFamilies);

    // The one model of the process, shared by every window.
    TessalyViewModel viewModel(cleaner, toolPool);
    viewModel.setCleaningChoices(preferences.choices());
    viewModel.setReviewEveryAddition(preferences.reviewFirst());
    // Files not yet started are left alone; those under way roll back.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &viewModel, [&viewModel] { viewModel.stop(); });
    QObject::connect(&preferences, &Preferences::changed, &viewModel,
                     [&] {
        viewModel.setCleaningChoices(preferences.choices());
        viewModel.setReviewEveryAddition(preferences.reviewFirst());
    });
    AppCommands commands(&viewModel);
    RunNotifier runNotifier(&viewModel);
    SettingsInfo settingsInfo(recordedVersion());
    settingsInfo.probeSandbox();

    // Files named on the command line are added once the window is up,
    // exactly as a picker selection would be, and many from folders are
    // questioned in the window as a drop would be. Typed in a terminal, they are
    // cleaned at once; from a file manager (the desktop entry's --review),
    // they wait for the person's click. Here or by a later launch.
    DropIntake launchIntake;
    launchIntake.setViewModel(&viewModel);
    DropIntake reviewIntake;
    reviewIntake.setViewModel(&viewModel);
    reviewIntake.setReview(true);
    const auto intakeFor = [&](bool review) -> DropIntake & { return review ? reviewIntake : launchIntake; };
    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    engine.setInitialProperties({
        {QStringLiteral("viewModel"), QVariant::fromValue(&viewModel)},
        {QStringLiteral("commands"), QVariant::fromValue(&commands)},
        {QStringLiteral("settingsInfo"), QVariant::fromValue(&settingsInfo)},
        {QStringLiteral("preferences"), QVariant::fromValue(&preferences)},
        {QStringLiteral("launchIntake"), QVariant::fromValue(&launchIntake)},
        {QStringLiteral("reviewIntake"), QVariant::fromValue(&reviewIntake)},
    });
    QObject::connect(&engine, &QQmlApplicationEngine::objectCreationFailed, &app,
                     [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/qt/qml/Tessaly/App/Main.qml")));
    makeWindowTranslucent(QGuiApplication::topLevelWindows());
    // The tool starts while the window is idle, not when the first files arrive.
    cleaner.exiftool().prepare();

    const QList<QUrl> urls = urlsFromArguments(launch.files, QDir::currentPath());
    if (!urls.isEmpty()) {
        QMetaObject::invokeMethod(&app, [&intakeFor, urls, review = launch.review] {
            intakeFor(review).addPicked(urls);
        }, Qt::QueuedConnection);
    }
    QObject::connect(&instance, &SingleInstance::openRequested, &app,
                     [&intakeFor](const QList<QUrl> &urls, std::optional<bool> keepOriginal, bool review) {
        intakeFor(review).addPicked(urls, keepOriginal);
        const QList<QWindow *> windows = QGuiApplication::topLevelWindows();
        if (windows.isEmpty())
            return;
        windows.first()->show();
        windows.first()->raise();
        windows.first()->requestActivate();
    });

    return app.exec();
}
