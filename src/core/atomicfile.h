#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at `path` with `bytes` in one step: the bytes go to a temporary file beside
// it, which is renamed over the old file only when every byte was written and flushed. On any
// failure (no room, no permission, …) the old file stays exactly as it was, no temporary is left,
// and the result is false with the reason in `errorString` when given.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *errorString = nullptr);
