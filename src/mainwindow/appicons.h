#pragma once

#include <QIcon>

// The program's icons, from PNG resources (the .ico is only for the Windows executable). Each is
// built once and shared, so every size is decoded at most once however many places show it.
namespace AppIcons {

QIcon program();
QIcon quit();

} // namespace AppIcons
