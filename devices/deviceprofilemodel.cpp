#include "deviceprofilemodel.h"

#include "deviceprofilestore.h"

DeviceProfileModel::DeviceProfileModel(DeviceProfileStore *store, QObject *parent)
    : QAbstractTableModel(parent), m_store(store)
{
    connect(m_store, &DeviceProfileStore::changed, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int DeviceProfileModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_store->profiles().size());
}

int DeviceProfileModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DeviceProfileModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    const QList<DeviceProfile> profiles = m_store->profiles();
    if (index.row() >= profiles.size())
        return {};
    const DeviceProfile &profile = profiles.at(index.row());
    switch (index.column()) {
    case NameColumn: return profile.name;
    case HostColumn: return profile.target.host;
    case VersionColumn: return snmpVersionName(profile.target.version);
    default: return {};
    }
}

QVariant DeviceProfileModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn: return DeviceProfileTexts::tr("Name");
    case HostColumn: return DeviceProfileTexts::tr("Host");
    //: column of the device list: SNMP version 1, 2c or 3
    case VersionColumn: return DeviceProfileTexts::tr("Version");
    default: return {};
    }
}

QString DeviceProfileModel::nameAt(int row) const
{
    const QList<DeviceProfile> profiles = m_store->profiles();
    return row >= 0 && row < profiles.size() ? profiles.at(row).name : QString();
}

int DeviceProfileModel::rowOf(const QString &name) const
{
    return int(indexOfProfile(m_store->profiles(), name));
}
