#include "TessalyApplication.h"

#include "AppCommands.h"
#include "CommandLineFiles.h"
#include "Preferences.h"
#include "RenderingBackend.h"
#include "RunNotifier.h"
#include "SettingsInfo.h"
#include "SingleInstance.h"
#include "StartupReport.h"
#include "TerminationSignals.h"
#include "WindowTranslucency.h"

#include <AccessibleItem.h>
#include <DropIntake.h>
#include <FileCleaner.h>
#include <FilePicker.h>
#include <Sandbox.h>
#include <StagingJournal.h>
#include <StayOpenRunner.h>
#include <TessalyViewModel.h>
#include <Translations.h>

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QSettings>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>

namespace {

QString recordedVersion()
{
#ifdef TESSALY_VERSION
    return QStringLiteral(TESSALY_VERSION);
#else
    return {};
#endif
}

QList<QByteArray> rawArguments(int argc, char **argv)
{
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    return arguments;
}

} // namespace

TessalyApplication::TessalyApplication(int &argc, char **argv)
    : m_argc(argc)
    , m_argv(argv)
    , m_launch(LaunchOptions::parse(rawArguments(argc, argv)))
{
}

TessalyApplication::~TessalyApplication() = default;

int TessalyApplication::exec()
{
    if (const std::optional<int> answered = answerWithoutWindow())
        return *answered;
    makeApplication();
    if (handedToRunningInstance())
        return 0;
    makeCleaning();
    makeModel();
    if (!loadWindow())
        return 1;
    takeLaunchFiles();
    return m_app->exec();
}

std::optional<int> TessalyApplication::answerWithoutWindow()
{
    if (!m_launch.showHelp && !m_launch.showVersion && m_launch.refusedOption.isEmpty())
        return std::nullopt;
    const QCoreApplication textOnly(m_argc, m_argv);
    installTranslations();
    if (m_launch.showHelp) {
        std::fputs(qPrintable(LaunchOptions::helpText()), stdout);
        return 0;
    }
    if (m_launch.showVersion) {
        std::fputs(qPrintable(QStringLiteral("tessaly %1\n").arg(recordedVersion())), stdout);
        return 0;
    }
    std::fputs(qPrintable(LaunchOptions::refusalText(m_launch.refusedOption)), stderr);
    return 2;
}

void TessalyApplication::makeApplication()
{
    // The main window is translucent; it needs an alpha channel from the start.
    QQuickWindow::setDefaultAlphaBuffer(true);
    const QByteArray theme = FilePicker::preferredPlatformTheme(qgetenv("QT_QPA_PLATFORMTHEME"), qgetenv("XDG_CURRENT_DESKTOP"));
    if (!theme.isEmpty())
        qputenv("QT_QPA_PLATFORMTHEME", theme);
    // A QApplication: the file picker is Qt Widgets' dialog.
    m_app = std::make_unique<QApplication>(m_argc, m_argv);
    chooseSceneGraphBackend();
    QGuiApplication::setApplicationName(QStringLiteral("tessaly"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tessaly"));
    QGuiApplication::setApplicationVersion(recordedVersion());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessaly.Tessaly"));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tessaly.Tessaly")));
    installTranslations();
    AccessibleItem::install();
    // Fusion follows the application palette, light or dark.
    QQuickStyle::setStyle(QStringLiteral("Fusion"));
}

// A later launch gives its files to the window already open and ends,
// before it touches the journal the first one writes.
bool TessalyApplication::handedToRunningInstance()
{
    m_instance = std::make_unique<SingleInstance>();
    const QList<QUrl> urls = urlsFromArguments(m_launch.files, currentDirectoryBytes());
    return SingleInstance::handOver(urls, m_launch.keepOriginal, m_launch.review)
           || (!m_instance->registerInstance() && SingleInstance::handOver(urls, m_launch.keepOriginal, m_launch.review));
}

void TessalyApplication::makeCleaning()
{
    // One exiftool worker per core; twice as many jobs, so that while one job
    // waits for the disk to take its cleaned file, another keeps the worker busy.
    const int cores = std::clamp(QThread::idealThreadCount(), 2, 8);
    m_pool = std::make_unique<QThreadPool>();
    m_pool->setMaxThreadCount(2 * cores);
    m_runner = std::make_unique<StayOpenRunner>(StayOpenRunner::Options{.workersPerTool = cores});
    m_journal = std::make_unique<const StagingJournal>(StagingJournal::defaultFolder());
    // Copies left by an earlier run that was killed hold the very metadata
    // their users wanted gone.
    m_journal->sweep();
    m_cleaner = std::make_unique<const FileCleaner>(ToolPaths::installed(), *m_runner, RunLimits{}, m_journal.get());
    // On quit, tools under way stop at once and their staged copies go.
    QObject::connect(m_app.get(), &QCoreApplication::aboutToQuit, [runner = m_runner.get()] { runner->stopAll(); });
    quitOnTerminationSignals(*m_app);
}

void TessalyApplication::makeModel()
{
    m_settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tessaly"),
                                             QStringLiteral("tessaly"));
    m_preferences = std::make_unique<Preferences>(*m_settings);
    m_preferences->overrideKeptFamilies(m_launch.keptFamilies);
    m_model = std::make_unique<TessalyViewModel>(*m_cleaner, *m_pool);
    const auto applyPreferences = [model = m_model.get(), preferences = m_preferences.get()] {
        model->setCleaningChoices(preferences->choices());
        model->setReviewEveryAddition(preferences->reviewFirst());
    };
    applyPreferences();
    QObject::connect(m_preferences.get(), &Preferences::changed, m_model.get(), applyPreferences);
    // Files not yet started are left alone; those under way roll back.
    QObject::connect(m_app.get(), &QCoreApplication::aboutToQuit, m_model.get(), &TessalyViewModel::stop);
    m_commands = std::make_unique<AppCommands>(m_model.get());
    m_notifier = std::make_unique<RunNotifier>(m_model.get());
    m_settingsInfo = std::make_unique<SettingsInfo>(recordedVersion());
    m_settingsInfo->probeSandbox();
    m_intake = std::make_unique<DropIntake>();
    m_intake->setViewModel(m_model.get());
}

bool TessalyApplication::loadWindow()
{
    m_engine = std::make_unique<QQmlApplicationEngine>();
    m_engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
    m_engine->setInitialProperties({
        {QStringLiteral("viewModel"), QVariant::fromValue(m_model.get())},
        {QStringLiteral("commands"), QVariant::fromValue(m_commands.get())},
        {QStringLiteral("settingsInfo"), QVariant::fromValue(m_settingsInfo.get())},
        {QStringLiteral("preferences"), QVariant::fromValue(m_preferences.get())},
        {QStringLiteral("intake"), QVariant::fromValue(m_intake.get())},
    });
    // Files cleaned right at launch wait for a worker that may read their
    // folder: the first one starts now, while the window loads on the other
    // core, and is ready when the files are taken.
    const bool cleanedAtLaunch = !m_launch.files.isEmpty() && !m_launch.review;
    if (cleanedAtLaunch) {
        const QList<QUrl> first = urlsFromArguments({m_launch.files.constFirst()}, currentDirectoryBytes());
        if (!first.isEmpty() && QFileInfo(first.constFirst().toLocalFile()).isFile())
            m_cleaner->exiftool().prepareFor(first.constFirst().toLocalFile());
    }
    m_engine->load(QUrl(QStringLiteral("qrc:/qt/qml/Tessaly/App/Main.qml")));
    if (m_engine->rootObjects().isEmpty())
        return false;
    makeWindowTranslucent(QGuiApplication::topLevelWindows());
    reportStartupOnFirstFrame(QGuiApplication::topLevelWindows());
    // The window is drawn first; then the tool starts while it is idle,
    // not when the first files arrive. A sandboxed worker sees one folder's
    // files, so files cleaned right at launch start workers of their own: a
    // prepared one would only compete with them for the processor.
    if (!(cleanedAtLaunch && Sandbox::status().active()))
        afterFirstFrame(QGuiApplication::topLevelWindows(), m_app.get(), [this] { m_cleaner->exiftool().prepare(); });
    return true;
}

// Files named on the command line are added once the window is up, and many
// from folders are questioned in the window as a drop would be. Typed in a
// terminal, they are cleaned at once; from a file manager (the desktop
// entry's --review) they wait for the person's click. The same holds for the
// files a later launch hands over, and so does its --copy or --in-place.
void TessalyApplication::takeLaunchFiles()
{
    DropIntake *intake = m_intake.get();
    const QList<QUrl> urls = urlsFromArguments(m_launch.files, currentDirectoryBytes());
    // Taken once the window has drawn itself: a launch with hundreds of
    // files would otherwise have the cleaning compete with the first frame.
    if (!urls.isEmpty()) {
        afterFirstFrame(QGuiApplication::topLevelWindows(), intake,
                        [intake, urls, choices = AdditionChoices{m_launch.keepOriginal, m_launch.review}] {
            intake->addNamed(urls, choices);
        });
    }
    QObject::connect(m_instance.get(), &SingleInstance::openRequested, intake,
                     [intake](const QList<QUrl> &urls, std::optional<bool> keepOriginal, bool review) {
        intake->addNamed(urls, AdditionChoices{keepOriginal, review});
        const QList<QWindow *> windows = QGuiApplication::topLevelWindows();
        if (windows.isEmpty())
            return;
        windows.first()->show();
        windows.first()->raise();
        windows.first()->requestActivate();
    });
}
