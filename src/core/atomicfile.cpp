#include "atomicfile.h"

#include <QSaveFile>

namespace {

// Drops the temporary; the error is taken first, since cancelling replaces it.
bool fail(QSaveFile &file, QString *errorString)
{
    if (errorString)
        *errorString = file.error() == QFileDevice::NoError ? QStringLiteral("Not all bytes could be written")
                                                            : file.errorString();
    file.cancelWriting();
    return false;
}

} // namespace

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *errorString)
{
    QSaveFile file(path);
    // Unbuffered, so that a full disk shows in write() itself rather than in a later flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (errorString)
            *errorString = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError)
        return fail(file, errorString);
    if (!file.commit()) {
        if (errorString)
            *errorString = file.errorString();
        return false;
    }
    return true;
}
