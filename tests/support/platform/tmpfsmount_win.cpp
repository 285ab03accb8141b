#include "tmpfsmount.h"

// Windows has no tmpfs: isMounted() stays false and the tests that need one skip.
TmpfsMount::TmpfsMount(qint64 sizeBytes) : m_size(sizeBytes)
{
    m_error = QStringLiteral("mounting a tmpfs needs Linux");
}

TmpfsMount::~TmpfsMount() = default;

bool TmpfsMount::setReadOnly(bool readOnly)
{
    Q_UNUSED(readOnly)
    return false;
}

qint64 TmpfsMount::freeBytes() const
{
    return -1;
}
