#pragma once

#include <QByteArray>

// Linux executables carry their version as a stamp: a marker followed by four little-endian
// 16-bit numbers. The marker is assembled at run time so that the reading code itself holds no
// copy of it that could be mistaken for the stamp.
namespace VersionStamp {

QByteArray marker();
constexpr int kPayloadSize = 8;

// Finds the stamp in a file's bytes; false when there is none.
bool find(const QByteArray &bytes, int version[4]);
// A stamp as it appears in a file.
QByteArray make(const int version[4]);

} // namespace VersionStamp
