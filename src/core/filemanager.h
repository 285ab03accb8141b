#pragma once

#include <QObject>
#include <QString>

// The one place that knows where the user's data lives: the library file and the pictures folder
// in the per-user data folder, and their legacy places beside the executable.
class FileManager : public QObject
{
    Q_OBJECT

public:
    static FileManager *instance();

    QString legacyMessagesPath() const;
    QString legacyImagesPath() const;
    // These two create the data folder (and the images folder) before answering.
    QString messagesPath() const;
    QString imagesPath() const;

private:
    FileManager() = default;
    static QString dataFolder();
};

// Recursive copy of a folder's visible files and folders into a destination whose parent exists.
// Stops at the first entry that cannot be copied.
bool cpDir(const QString &source, const QString &destination);
// Recursive removal of a folder with its visible content.
bool removeDir(const QString &folder);
