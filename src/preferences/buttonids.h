#pragma once

// The settings tab's radio buttons are known by their group ids (-2, -3, … in on-screen order),
// which is also how the preferences store keeps them. This is the one table of what they mean.
namespace ButtonIds {

constexpr int DefaultDisplay = -5;  // 4 s
constexpr int DefaultDuration = -4; // 30 ms
constexpr int DefaultLocation = -2; // centre

// Pause between two showings; 8 s for the last button and for an id that is none of them.
int displayIntervalMs(int id);
// How long an entry stays on screen; 0 for an id that is none of the buttons.
int durationMs(int id);

} // namespace ButtonIds
