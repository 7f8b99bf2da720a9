#pragma once

// The export file of device profiles: JSON in UTF-8, one object
//
//     {
//       "orvelleDeviceProfiles": 1,
//       "profiles": [
//         { "name": "core-router", "host": "10.0.0.1", "port": 161, "version": "2c",
//           "timeout": 5, "retries": 0, "maxRepetitions": 25, "textEncoding": "UTF-8" },
//         { "name": "edge", "host": "edge.example", "port": 161, "version": "3", ...,
//           "user": "ops", "securityLevel": "authPriv", "authProtocol": "SHA-256",
//           "privProtocol": "AES-128", "context": "" }
//       ]
//     }
//
// "orvelleDeviceProfiles" is the format's version. The keys of a profile are
// those of profileToMap(); none is a secret: communities and passphrases are
// never written, so a file can be mailed to a colleague, who enters them.

#include "deviceprofile.h"

#include <QList>
#include <QString>
#include <QVariantMap>

namespace DeviceProfileFile {

constexpr int kFormatVersion = 1;

// Writes the file whole or not at all; false with `error` set (the file
// named) when it cannot.
bool write(const QString &path, const QList<DeviceProfile> &profiles, QString *error);

// The profile entries of the file as they stand (profileFromMap() reads
// each); false with `error` set when the file cannot be read or is not such
// a file.
bool read(const QString &path, QList<QVariantMap> *entries, QString *error);

} // namespace DeviceProfileFile
