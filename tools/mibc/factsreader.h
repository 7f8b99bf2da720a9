#pragma once

// Reads the compact facts format (*.facts): one definition per line with
// its attributes, descriptions and enumerations on indented lines below.
// The bundled database is written in it; the format is described in
// DATA/src/README.md and in the user guide.

#include "mibmodel.h"

#include <QHash>
#include <QString>
#include <QStringList>

class FactsReader
{
public:
    // Adds the file's definitions to the database. Errors ("FILE:LINE:
    // what") go to `errors`; definitions before and after a faulty line are
    // still read. False when the file had errors.
    bool read(const QString &path, MibcDatabase &db, QStringList *errors);

private:
    struct Tc
    {
        QString base;
        QString hint;
        std::vector<std::pair<qint64, QString>> enums;
        QString descrEn;
        QString descrJa;
    };

    QHash<QString, SnmpOid> m_names;
    QHash<QString, Tc> m_tcs;
};
