#pragma once

#include <QString>

// Moves the library file and the pictures folder of the older, portable layout (beside the
// executable) into the per-user data folder. Safe to repeat; never overwrites or drops data:
// - a per-user library is never replaced; a legacy one found beside it is kept under a free name;
// - legacy pictures are merged into the per-user folder; a clash with different content keeps both;
// - anything that fails to copy stays where it was and is tried again at the next start;
// - a legacy item that is the per-user one itself (same folder, or reached through a symlink) is
//   left alone;
// - a legacy library that cannot be removed (read-only program folder) is copied only once.
class LegacyMigration
{
public:
    LegacyMigration(const QString &legacyMessages, const QString &legacyImages, const QString &messages,
                    const QString &images);

    void run();

    // A path beside `path` that does not exist yet: "name-1.ext", "name-2.ext", …
    static QString freeName(const QString &path);

private:
    bool migrateLibrary();
    bool mergeFolder(const QString &source, const QString &destination);

    QString m_legacyMessages;
    QString m_legacyImages;
    QString m_messages;
    QString m_images;
};

// Runs the migration with the paths of FileManager.
void migrateLegacyData();
