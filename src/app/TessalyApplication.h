#pragma once

#include "LaunchOptions.h"

#include <QByteArray>
#include <QList>

#include <memory>

class AppCommands;
class DropIntake;
class FileCleaner;
class Preferences;
class QApplication;
class QQmlApplicationEngine;
class QSettings;
class QThreadPool;
class RunNotifier;
class SettingsInfo;
class SingleInstance;
class StagingJournal;
class StayOpenRunner;
class TessalyViewModel;

// The app as one object: it reads the command line once, answers --help and
// --version, hands the files to a window already open, or makes the one
// model of the process, everything that cleans for it and the window.
// Whatever cleans outlives the model, and the model the window.
class TessalyApplication
{
public:
    TessalyApplication(int &argc, char **argv);
    ~TessalyApplication();
    TessalyApplication(const TessalyApplication &) = delete;
    TessalyApplication &operator=(const TessalyApplication &) = delete;

    // The process's exit code.
    int exec();

private:
    // Before any window system is touched.
    std::optional<int> answerWithoutWindow();
    void makeApplication();
    bool handedToRunningInstance();
    void makeCleaning();
    void makeModel();
    bool loadWindow();
    void takeLaunchFiles();

    int &m_argc;
    char **m_argv;
    LaunchOptions m_launch;
    std::unique_ptr<QApplication> m_app;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<QThreadPool> m_pool;
    std::unique_ptr<StayOpenRunner> m_runner;
    std::unique_ptr<const StagingJournal> m_journal;
    std::unique_ptr<const FileCleaner> m_cleaner;
    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<TessalyViewModel> m_model;
    std::unique_ptr<AppCommands> m_commands;
    std::unique_ptr<RunNotifier> m_notifier;
    std::unique_ptr<SettingsInfo> m_settingsInfo;
    // Files named outside the window: a command line, a later launch.
    std::unique_ptr<DropIntake> m_intake;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
};
