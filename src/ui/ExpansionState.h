#pragma once

#include <QObject>
#include <QSet>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

// Which rows of the file list are open, by file id (the list's fileId role). The list builds row
// views lazily and drops those scrolled out of sight, so a row's open state
// has to outlive its view.
class ExpansionState : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    using QObject::QObject;

    Q_INVOKABLE bool isExpanded(const QUuid &fileId) const { return m_expanded.contains(fileId); }
    Q_INVOKABLE void setExpanded(const QUuid &fileId, bool expanded)
    {
        if (expanded)
            m_expanded.insert(fileId);
        else
            m_expanded.remove(fileId);
    }

private:
    QSet<QUuid> m_expanded;
};
