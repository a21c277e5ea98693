#include "AppCommands.h"

#include <TessalyViewModel.h>

AppCommands::AppCommands(TessalyViewModel *model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
    connect(model, &TessalyViewModel::isProcessingChanged, this, &AppCommands::reconsider);
    connect(model, &TessalyViewModel::filesChanged, this, &AppCommands::reconsider);
    reconsider();
}

bool AppCommands::clearListEnabled() const
{
    return m_clearListEnabled;
}

void AppCommands::reconsider()
{
    const bool enabled = !m_model->isProcessing() && m_model->hasFiles();
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
