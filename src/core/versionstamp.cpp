#include "versionstamp.h"

namespace VersionStamp {

QByteArray marker()
{
    QByteArray m("GLIMRA-VERSION");
    m.append("-STAMP:");
    return m;
}

bool find(const QByteArray &bytes, int version[4])
{
    const QByteArray m = marker();
    const int at = bytes.indexOf(m);
    if (at < 0 || at + m.size() + kPayloadSize > bytes.size())
        return false;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData() + at + m.size());
    for (int i = 0; i < 4; ++i)
        version[i] = p[2 * i] | (p[2 * i + 1] << 8);
    return true;
}

QByteArray make(const int version[4])
{
    QByteArray stamp = marker();
    for (int i = 0; i < 4; ++i) {
        stamp.append(char(version[i] & 0xff));
        stamp.append(char((version[i] >> 8) & 0xff));
    }
    return stamp;
}

} // namespace VersionStamp
