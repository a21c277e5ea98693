#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

class TessalyViewModel;

// The menu commands of the main window and when they may be used.
class AppCommands : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application makes it")
    Q_PROPERTY(bool clearListEnabled READ clearListEnabled NOTIFY clearListEnabledChanged)
    Q_PROPERTY(bool stopEnabled READ stopEnabled NOTIFY stopEnabledChanged)

public:
    explicit AppCommands(TessalyViewModel *model, QObject *parent = nullptr);

    // Clearing is off when there is nothing to clear; during a run it
    // stops the run first.
    bool clearListEnabled() const;
    bool stopEnabled() const;

    // Asks the window for its file picker (one that is open stays open).
    Q_INVOKABLE void openFiles();
    Q_INVOKABLE void clearList();
    Q_INVOKABLE void stop();

signals:
    void clearListEnabledChanged();
    void stopEnabledChanged();
    void filePickerRequested();

private:
    void reconsider();

    TessalyViewModel *m_model;
    bool m_clearListEnabled = false;
};
