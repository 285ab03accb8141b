#pragma once

#include <QLatin1String>

// The keys of the per-user preferences store. Their spelling is part of the stored data: a
// changed key loses the user's setting.
namespace PreferenceKeys {

constexpr QLatin1String Display("Glimra/display");
constexpr QLatin1String Duration("Glimra/duration");
constexpr QLatin1String Location("Glimra/location");
constexpr QLatin1String Language("Glimra/language");
constexpr QLatin1String Minimize("Glimra/minimize");
constexpr QLatin1String LegacyFont("Glimra/font");
// Despite its name, whether the window was shown.
constexpr QLatin1String Hidden("hidden");
constexpr QLatin1String IsActive("isActive");
constexpr QLatin1String SelectedDisplay("selectedDisplay");
constexpr QLatin1String SelectedDuration("selectedDuration");
constexpr QLatin1String SelectedLocation("selectedLocation");
constexpr QLatin1String MessageColor("messageColor");
constexpr QLatin1String MessageFont("messageFont");

} // namespace PreferenceKeys
