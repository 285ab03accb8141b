#pragma once

#include <QString>

#include <functional>

// The first of nameFor(first), nameFor(first + 1), … that names nothing on disk (no file, folder
// or link, even a dangling one); an empty string when none of `tries` names is free.
QString firstFreeName(const std::function<QString(int n)> &nameFor, int first = 1, int tries = 100000);

// "<folder>/<base>-<n>.<suffix>" for "<folder>/<base>.<suffix>": the numbered sibling of a file.
QString numberedSibling(const QString &path, int n);
