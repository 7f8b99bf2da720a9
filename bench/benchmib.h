#pragma once

// The generated MIB database of the benchmarks: tables of an entry and 98
// columns under a private enterprise (1.3.6.1.4.1.99999), every third
// column writable, every tenth enumerated, each with a description of
// typical length.

#include "mibmodel.h"

inline const SnmpOid kBenchEnterprise{1, 3, 6, 1, 4, 1, 99999};

// `objects` objects in all; with `withParents` the chain internet, private,
// enterprises and the bench enterprise comes first (counted in).
inline MibcDatabase benchMibTables(int objects, bool withParents)
{
    constexpr quint32 kColumnsPerTable = 98;
    MibcDatabase db;
    const QString descr = QStringLiteral(
        "A generated object for the benchmark. Its description is about as long as a typical "
        "MIB description, so that the file has a realistic size per object.");
    auto node = [](const QString &name, const char *kind) {
        MibcNode n;
        n.name = name;
        n.kind = QString::fromLatin1(kind);
        n.module = QStringLiteral("BENCH-MIB");
        return n;
    };
    int made = 0;
    if (withParents) {
        db.add(SnmpOid{1, 3, 6, 1}, node(QStringLiteral("internet"), "node"));
        db.add(SnmpOid{1, 3, 6, 1, 4}, node(QStringLiteral("private"), "node"));
        db.add(SnmpOid{1, 3, 6, 1, 4, 1}, node(QStringLiteral("enterprises"), "node"));
        db.add(kBenchEnterprise, node(QStringLiteral("bench"), "node"));
        made = 4;
    }
    for (quint32 table = 1; made < objects; ++table) {
        SnmpOid t = kBenchEnterprise;
        t.ids.push_back(table);
        db.add(t, node(QStringLiteral("benchTable%1").arg(table), "table"));
        SnmpOid e = t;
        e.ids.push_back(1);
        MibcNode entry = node(QStringLiteral("benchEntry%1").arg(table), "entry");
        entry.indexes.emplace_back(QStringLiteral("benchIndex"), false);
        db.add(e, entry);
        made += 2;
        for (quint32 column = 1; column <= kColumnsPerTable && made < objects; ++column, ++made) {
            SnmpOid c = e;
            c.ids.push_back(column);
            MibcNode cn = node(QStringLiteral("bench%1Column%2").arg(table).arg(column), "column");
            cn.syntax = QStringLiteral("INTEGER");
            cn.access = column % 3 ? QStringLiteral("read-only") : QStringLiteral("read-write");
            cn.status = QStringLiteral("current");
            cn.descrEn = descr;
            if (column % 10 == 0)
                cn.enums = {{1, QStringLiteral("up")}, {2, QStringLiteral("down")}, {3, QStringLiteral("testing")}};
            db.add(c, cn);
        }
    }
    return db;
}
