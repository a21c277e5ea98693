#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

class TessalyViewModel;

// The two menu commands of the main window and when they may be used.
class AppCommands : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application makes it")
    Q_PROPERTY(bool clearListEnabled READ clearListEnabled NOTIFY clearListEnabledChanged)

public:
    explicit AppCommands(TessalyViewModel *model, QObject *parent = nullptr);

    // Clearing is off while a clean-all run is active and when there is
    // nothing to clear.
    bool clearListEnabled() const;

    // Asks the window for its file picker (one that is open stays open).
    Q_INVOKABLE void openFiles();
    Q_INVOKABLE void clearList();

signals:
    void clearListEnabledChanged();
    void filePickerRequested();

private:
    void reconsider();

    TessalyViewModel *m_model;
    bool m_clearListEnabled = false;
};
