#pragma once

#include <QString>
#include <QTemporaryDir>

// A small tmpfs of the test's own, for a full disk or a read-only folder that even root cannot
// write to. Mounting needs root (or CAP_SYS_ADMIN) on Linux; isMounted() tells whether it worked
// and errorString() why not. Unmounted when the object goes away, also when a test fails.
class TmpfsMount
{
public:
    explicit TmpfsMount(qint64 sizeBytes);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool isMounted() const { return m_mounted; }
    QString errorString() const { return m_error; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    bool setReadOnly(bool readOnly);
    // Fills the file system with `path` until at most `keepFree` bytes are left (a page at most
    // more, as tmpfs counts in pages); returns the bytes still free.
    qint64 fill(const QString &path, qint64 keepFree = 0);
    qint64 freeBytes() const;

private:
    QTemporaryDir m_dir;
    qint64 m_size;
    bool m_mounted = false;
    QString m_error;
};
