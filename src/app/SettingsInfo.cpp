#include "SettingsInfo.h"

#include <Sandbox.h>
#include <ToolLocator.h>

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

SettingsInfo::SettingsInfo(QVariant version, QString resourceDirectory, QObject *parent)
    : QObject(parent)
    , m_version(std::move(version))
    , m_resourceDirectory(std::move(resourceDirectory))
{
}

QString SettingsInfo::versionText(const QVariant &version)
{
    if (version.typeId() == QMetaType::QString)
        return version.toString();
    return QStringLiteral("1.0");
}

QString SettingsInfo::appVersion() const
{
    return versionText(m_version);
}

bool SettingsInfo::exiftoolAvailable() const
{
    const ToolPaths paths = m_resourceDirectory.isEmpty() ? ToolPaths::installed() : ToolPaths::inFolder(m_resourceDirectory);
    return paths.exiftool().has_value();
}

QString SettingsInfo::sandboxNote() const
{
    const auto status = Sandbox::known();
    if (!status || status->active())
        return {};
    QString reason;
    switch (*status->unavailable) {
    case Sandbox::Unavailable::turnedOff:
        //% "turned off (TESSALY_SANDBOX=off)"
        reason = qtTrId("sandbox_reason_turned_off");
        break;
    case Sandbox::Unavailable::notInstalled:
        //% "bubblewrap is not installed (%1)"
        reason = qtTrId("sandbox_reason_not_installed").arg(status->detail);
        break;
    case Sandbox::Unavailable::refused:
        //% "the system does not let bubblewrap start (%1)"
        reason = qtTrId("sandbox_reason_refused").arg(status->detail);
        break;
    }
    //% "Tools run without a sandbox: %1"
    return qtTrId("sandbox_off").arg(reason);
}

void SettingsInfo::probeSandbox()
{
    auto *watcher = new QFutureWatcher<Sandbox::Status>(this);
    connect(watcher, &QFutureWatcher<Sandbox::Status>::finished, this, [this, watcher] {
        watcher->deleteLater();
        emit refreshed();
        m_startNotice = sandboxNote();
        if (!m_startNotice.isEmpty())
            emit startNoticeChanged();
    });
    watcher->setFuture(QtConcurrent::run(&Sandbox::status));
}

void SettingsInfo::dismissStartNotice()
{
    if (m_startNotice.isEmpty())
        return;
    m_startNotice.clear();
    emit startNoticeChanged();
}
