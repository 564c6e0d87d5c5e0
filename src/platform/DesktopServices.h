// Opening files, folders and addresses with the user's desktop programs,
// behind one replaceable object like the prompter.
#pragma once

#include "core/ScopedCurrent.h"

#include <QList>
#include <QString>
#include <QUrl>

class DesktopServices
{
public:
    virtual ~DesktopServices() = default;

    // Hands the address (a file: URL for local files and folders) to the
    // desktop; false when nothing could open it.
    virtual bool openUrl(const QUrl &url) = 0;
    bool openPath(const QString &path) { return openUrl(QUrl::fromLocalFile(path)); }
    // Shows the file or folder in its folder, selected where the file
    // manager can do that; by default the folder that holds it is opened.
    virtual bool showInFolder(const QString &path);

    // The current services; one that opens nothing until the application
    // installs its own.
    static DesktopServices &current();
    // Installs the services (null puts the inert one back); returns the
    // previous ones. The caller keeps ownership.
    static DesktopServices *setCurrent(DesktopServices *services);
};

// The desktop of the running program (QDesktopServices).
class QtDesktopServices final : public DesktopServices
{
public:
    bool openUrl(const QUrl &url) override;
    // Asks the file manager (org.freedesktop.FileManager1) to select the
    // item; without one, or when it refuses, opens the folder.
    bool showInFolder(const QString &path) override;
};

// For tests: records every address and answers with `result`.
class RecordingDesktopServices final : public DesktopServices
{
public:
    bool openUrl(const QUrl &url) override
    {
        opened.append(url);
        return result;
    }
    bool showInFolder(const QString &path) override
    {
        shown.append(path);
        return result;
    }

    QList<QUrl> opened;
    QList<QString> shown; // showInFolder
    bool result = true;
};

// Installs desktop services for the life of a scope (tests).
using DesktopServicesScope = ScopedCurrent<DesktopServices>;
