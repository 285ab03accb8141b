#include "migration.h"

#include "core/filemanager.h"
#include "core/freename.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

bool sameContent(const QString &a, const QString &b)
{
    const QByteArray ha = fileHash(a);
    return !ha.isEmpty() && ha == fileHash(b) && QFileInfo(a).size() == QFileInfo(b).size();
}

// True when `source` already sits at `target` or at one of the free names chosen for it before.
bool copiedBefore(const QString &source, const QString &target)
{
    if (sameContent(source, target))
        return true;
    for (int n = 1;; ++n) {
        const QString candidate = numberedSibling(target, n);
        if (!QFileInfo::exists(candidate))
            return false;
        if (sameContent(source, candidate))
            return true;
    }
}

#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

// True when both paths exist and, symlinks resolved, are one and the same: the program can run
// from the data folder itself, and then "moving" its data would delete it.
bool sameLocation(const QString &a, const QString &b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical.compare(QFileInfo(b).canonicalFilePath(), kPathCase) == 0;
}

// True when the folders are the same or one lies inside the other; merging one into the other
// would then copy a tree into itself and remove what it just copied.
bool overlapping(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (ca.isEmpty() || cb.isEmpty())
        return false;
    return ca.compare(cb, kPathCase) == 0 || ca.startsWith(cb + QLatin1Char('/'), kPathCase) ||
           cb.startsWith(ca + QLatin1Char('/'), kPathCase);
}

} // namespace

LegacyMigration::LegacyMigration(const QString &legacyMessages, const QString &legacyImages, const QString &messages,
                                 const QString &images)
    : m_legacyMessages(legacyMessages), m_legacyImages(legacyImages), m_messages(messages), m_images(images)
{
}

QString LegacyMigration::freeName(const QString &path)
{
    return firstFreeName([&path](int n) { return numberedSibling(path, n); });
}

void LegacyMigration::run()
{
    migrateLibrary();
    if (QFileInfo(m_legacyImages).isDir()) {
        QDir().mkpath(m_images);
        if (!overlapping(m_legacyImages, m_images) && mergeFolder(m_legacyImages, m_images))
            removeDir(m_legacyImages);
    }
}

bool LegacyMigration::migrateLibrary()
{
    if (!QFileInfo(m_legacyMessages).isFile() || sameLocation(m_legacyMessages, m_messages))
        return true;
    // Bytes already present as the user's library or as a kept legacy copy were migrated by an
    // earlier start; only the removal is left, which a read-only program folder refuses every time.
    const QString kept = m_messages + QStringLiteral(".legacy");
    if (sameContent(m_legacyMessages, m_messages) || copiedBefore(m_legacyMessages, kept))
        return QFile::remove(m_legacyMessages);

    // The user's own library wins; the older one is kept beside it rather than thrown away.
    const bool userHasLibrary = QFileInfo::exists(m_messages);
    const QString target = !userHasLibrary ? m_messages : QFileInfo::exists(kept) ? freeName(kept) : kept;
    if (userHasLibrary)
        qDebug() << "Keeping the legacy library as" << target;
    if (!QFile::copy(m_legacyMessages, target))
        return false;
    if (QFile::remove(m_legacyMessages))
        return true;
    // The legacy file stays, and the user's library changes at the next save: a kept copy is
    // what lets later starts recognise these bytes as migrated.
    if (target == m_messages)
        QFile::copy(m_legacyMessages, QFileInfo::exists(kept) ? freeName(kept) : kept);
    return false;
}

bool LegacyMigration::mergeFolder(const QString &source, const QString &destination)
{
    bool complete = true;
    const QFileInfoList entries =
        QDir(source).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString target = destination + QLatin1Char('/') + entry.fileName();
        if (entry.isDir()) {
            if (!QDir().mkpath(target) || !mergeFolder(entry.filePath(), target))
                complete = false;
        } else if (entry.isFile()) {
            if (QFileInfo::exists(target)) {
                // Copied by an earlier run that could not remove the legacy folder: nothing to do.
                if (copiedBefore(entry.filePath(), target))
                    continue;
                if (!QFile::copy(entry.filePath(), freeName(target)))
                    complete = false;
            } else if (!QFile::copy(entry.filePath(), target)) {
                complete = false;
            }
        } else {
            qDebug() << "Unhandled item" << entry.filePath() << "in migration";
        }
    }
    return complete;
}

void migrateLegacyData()
{
    const FileManager *files = FileManager::instance();
    LegacyMigration(files->legacyMessagesPath(), files->legacyImagesPath(), files->messagesPath(), files->imagesPath())
        .run();
}
