#pragma once

#include <QString>

#include <ctime>

// The tray icon's tip: "Orvelle", then the service state, then the time of
// the last trap once one has arrived. `lastTrap` in 1990 means none yet.
QString trayTipText(bool added, bool serviceOn, std::time_t lastTrap);

// 1990-01-01 00:00:00 local time: the "no trap yet" mark.
std::time_t noTrapYetTime();
