#pragma once

// The store's profiles as a table (name, host, version), for the Devices
// dialog's list and for any combo box that offers devices
// (QComboBox::setModel: column 0 is the name). Follows the store's
// changed() with a reset; profiles are few.

#include <QAbstractTableModel>

class DeviceProfileStore;

class DeviceProfileModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn, HostColumn, VersionColumn, ColumnCount };

    explicit DeviceProfileModel(DeviceProfileStore *store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The profile name of a row; empty outside the list.
    QString nameAt(int row) const;
    // The row of a name (without regard to case), or -1.
    int rowOf(const QString &name) const;

private:
    DeviceProfileStore *m_store;
};
