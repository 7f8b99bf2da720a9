#pragma once

// The one switch of the command line: "-service" or "/service" as the first
// argument, exactly (case-sensitive, nothing after it). It is read from the
// raw argv before QApplication takes its own options out, so that
// "orvelle -platform offscreen -service" is not service mode.
bool isServiceSwitch(const char *argument);
bool isServiceMode(int argc, const char *const *argv);
