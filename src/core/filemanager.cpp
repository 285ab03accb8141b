#include "filemanager.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

FileManager *FileManager::instance()
{
    // Lives until the process ends, like the application identity it depends on.
    static FileManager *manager = new FileManager;
    return manager;
}

QString FileManager::legacyMessagesPath() const
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/messages.dat");
}

QString FileManager::legacyImagesPath() const
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/images");
}

QString FileManager::dataFolder()
{
    const QStringList locations = QStandardPaths::standardLocations(QStandardPaths::AppLocalDataLocation);
    return locations.isEmpty() ? QString() : locations.first();
}

QString FileManager::messagesPath() const
{
    const QString folder = dataFolder();
    QDir().mkpath(folder);
    return folder + QStringLiteral("/messages.dat");
}

QString FileManager::imagesPath() const
{
    const QString images = dataFolder() + QStringLiteral("/images");
    QDir().mkpath(images);
    return images;
}

static QFileInfoList visibleEntries(const QString &folder)
{
    return QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
}

bool cpDir(const QString &source, const QString &destination)
{
    const QFileInfo target(destination);
    if (!target.isDir()) {
        QDir parent = target.absoluteDir();
        if (!parent.exists() || !parent.mkdir(target.fileName()))
            return false;
    }
    for (const QFileInfo &entry : visibleEntries(source)) {
        const QString to = destination + QLatin1Char('/') + entry.fileName();
        if (entry.isDir()) {
            if (!cpDir(entry.filePath(), to))
                return false;
        } else if (entry.isFile()) {
            if (!QFile::copy(entry.filePath(), to))
                return false;
        } else {
            qDebug() << "Unhandled item" << entry.filePath() << "in cpDir";
        }
    }
    return true;
}

bool removeDir(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.exists())
        return true;
    for (const QFileInfo &entry : visibleEntries(folder)) {
        const bool removed =
            entry.isDir() && !entry.isSymLink() ? removeDir(entry.filePath()) : QFile::remove(entry.filePath());
        if (!removed)
            return false;
    }
    return info.absoluteDir().rmdir(info.fileName());
}
