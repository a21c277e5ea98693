#include "AppCommands.h"

#include <TessalyViewModel.h>

AppCommands::AppCommands(TessalyViewModel *model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
    connect(model, &TessalyViewModel::filesChanged, this, &AppCommands::reconsider);
    connect(model, &TessalyViewModel::canStopChanged, this, &AppCommands::stopEnabledChanged);
    reconsider();
}

bool AppCommands::clearListEnabled() const
{
    return m_clearListEnabled;
}

bool AppCommands::stopEnabled() const
{
    return m_model->canStop();
}

void AppCommands::stop()
{
    m_model->stop();
}

void AppCommands::reconsider()
{
    const bool enabled = m_model->hasFiles();
    if (enabled == m_clearListEnabled)
        return;
    m_clearListEnabled = enabled;
    emit clearListEnabledChanged();
}

void AppCommands::openFiles()
{
    emit filePickerRequested();
}

void AppCommands::clearList()
{
    if (m_clearListEnabled)
        m_model->clearList();
}
