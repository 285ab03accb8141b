#pragma once

#include <QString>

// The four names shared by start-up and the updater.
namespace UpdateConstants {

// File name of the program in its folder ("Glimra.exe" on Windows).
QString executableName();
// Name under which a downloaded new executable is stored beside it ("Glimra_new.exe" on Windows).
QString replacementName();
// Base address of the update files, ending in "/". GLIMRA_UPDATE_URL overrides the built-in one.
QString updateBaseUrl();
// The manifest: the base address followed by "update.ini".
QString manifestUrl();

} // namespace UpdateConstants
