#include "deviceprofilefile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

using Texts = DeviceProfileTexts;

const QString kFormatKey = QStringLiteral("orvelleDeviceProfiles");
const QString kProfilesKey = QStringLiteral("profiles");
// An export of even thousands of profiles is well below this; anything
// larger is not one of ours.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

} // namespace

namespace DeviceProfileFile {

bool write(const QString &path, const QList<DeviceProfile> &profiles, QString *error)
{
    QJsonArray list;
    for (const DeviceProfile &profile : profiles)
        list.append(QJsonObject::fromVariantMap(profileToMap(profile)));
    QJsonObject root;
    root.insert(kFormatKey, kFormatVersion);
    root.insert(kProfilesKey, list);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson()) < 0 || !file.commit()) {
        *error = Texts::tr("The device profiles could not be written to %1: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return true;
}

bool read(const QString &path, QList<QVariantMap> *entries, QString *error)
{
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = Texts::tr("The file %1 could not be opened: %2").arg(shown, file.errorString());
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        *error = Texts::tr("The file %1 is too large to be a device profile export.").arg(shown);
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (document.isNull()) {
        *error = Texts::tr("The file %1 is not a device profile export: %2 at byte %3.")
                     .arg(shown, parseError.errorString())
                     .arg(parseError.offset);
        return false;
    }
    const QJsonObject root = document.object();
    if (!root.value(kFormatKey).isDouble() || !root.value(kProfilesKey).isArray()) {
        *error = Texts::tr("The file %1 is not a device profile export.").arg(shown);
        return false;
    }
    if (root.value(kFormatKey).toInt() > kFormatVersion) {
        *error = Texts::tr("The file %1 was written by a newer version of Orvelle.").arg(shown);
        return false;
    }
    entries->clear();
    for (const QJsonValue &entry : root.value(kProfilesKey).toArray())
        entries->append(entry.toObject().toVariantMap());
    return true;
}

} // namespace DeviceProfileFile
