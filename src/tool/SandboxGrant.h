#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What one run of a tool may reach of the user's files, beyond its own
// program files and the system's libraries. Read by Sandbox, which turns it
// into mounts; ignored when tools run without a sandbox.
struct SandboxGrant
{
    // Files or folders the tool may read, whole.
    QStringList readable;
    // Folders the tool may read and write (a staging folder).
    QStringList writable;
    // A folder shown as a view: its regular, non-hidden files named
    // "*.<viewSuffix>" and Tessaly's staging folders, nothing else that is
    // there when the tool starts. Lets one persistent worker serve every
    // photo of a drop from one folder without seeing the folder's other files.
    QString viewFolder;
    QString viewSuffix;
    // Where the tool's standard output goes instead of into memory: a file
    // that must not exist yet, created by Tessaly (not by the tool).
    QString standardOutputTo;

    // To read one file: a view of its folder, or of the folder its staging
    // folder sits in when the file is a staged copy; the file alone where
    // that folder holds more other entries than a view can hide.
    static SandboxGrant toRead(const QString &file);
    // To read `source` and write inside `folder`.
    static SandboxGrant toWrite(const QString &source, const QString &folder);

    // Equal for grants that make the same mounts (the output file aside).
    QByteArray mountKey() const;
};
