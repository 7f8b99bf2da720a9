#pragma once

// MonitorSettings: everything a monitor window needs to start. The MIB walk
// dialog fills the agent's part (device, community, the OIDs of the chosen
// rows, its timeout), the settings dialog the rest; the window copies what it
// needs when it is created, so the record may go away afterwards.

#include "snmptarget.h"

#include <QByteArray>
#include <QString>

#include <ctime>

// How the graph plots each sample.
enum MonitorGraphMode : int {
    MonitorGraphValue = 0,            // the value itself
    MonitorGraphDeltaFromInitial = 1, // the change since the first sample
    MonitorGraphDelta = 2,            // the change since the previous sample
};

struct MonitorSettings
{
    static constexpr quint32 kDefaultInterval = 5; // seconds
    static constexpr quint32 kMinInterval = 1;
    static constexpr quint32 kMaxInterval = 360;
    static constexpr quint32 kDefaultMaxHistories = 200; // samples kept for the graph
    static constexpr quint32 kMinMaxHistories = 200;
    static constexpr quint32 kMaxMaxHistories = 999;

    std::time_t startTime = 0;              // polling begins at this moment (or at once when it has passed)
    quint32 pollingInterval = kDefaultInterval; // seconds between two requests
    quint32 duration = 0;                   // minutes of polling; 0: no end
    quint32 timeout = 5;                    // seconds to wait for an answer
    bool graph = true;
    int graphMode = MonitorGraphValue;
    bool save = false;                      // write the samples to fileName
    QString fileName;
    QString device;                         // agent name or address, as the user typed it, or a profile's name
    QString community;
    // How to reach the agent: a profile's read target, or (host empty) the
    // typed device with `community` over SNMPv1.
    SnmpTarget target;
    QByteArray textEncoding;                // the agent's text encoding (empty: UTF-8)
    QString oidList;                        // OID texts separated by CR LF
    quint32 maxHistories = kDefaultMaxHistories;
};
