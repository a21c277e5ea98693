#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QtQml/qqmlregistration.h>

// Which rows of the file list are open, by file id. The list builds row
// views lazily and drops those scrolled out of sight, so a row's open state
// has to outlive its view.
class ExpansionState : public QObject
{
    Q_OBJECT
    QML_ELEMENT

public:
    using QObject::QObject;

    Q_INVOKABLE bool isExpanded(const QString &fileId) const { return m_expanded.contains(fileId); }
    Q_INVOKABLE void setExpanded(const QString &fileId, bool expanded)
    {
        if (expanded)
            m_expanded.insert(fileId);
        else
            m_expanded.remove(fileId);
    }

private:
    QSet<QString> m_expanded;
};
