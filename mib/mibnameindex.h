#pragma once

// Finding objects of the MIB database by part of their name ("ifHCIn") or
// by a leading part of their OID ("1.3.6.1.2.1.31"), for the OID field's
// suggestions. Built once per database; a search is one pass over a
// contiguous buffer of lower-case names, a few milliseconds for 100,000
// objects.

#include <QString>

#include <string>
#include <vector>

class MibDocument;

class MibNameIndex
{
public:
    struct Match
    {
        QString name;
        QString module;
        QString oid; // dotted
    };

    void build(const MibDocument &document);
    size_t size() const { return m_entries.size(); }

    // At most `limit` matches: a name equal to the text first, then names
    // that start with it, then names that contain it (shorter names first
    // within each); for a text that starts with a digit, the OIDs that
    // start with it. Case does not matter.
    std::vector<Match> find(const QString &text, size_t limit = 50) const;

private:
    struct Entry
    {
        quint32 nameAt; // offset of the lower-case name in m_names
        quint32 nameLength;
        quint32 oidAt; // offset of the dotted OID in m_oids
        quint32 oidLength;
        QString name;
        QString module;
    };
    std::string m_names; // lower-case names, NUL-separated
    std::string m_oids;  // dotted OIDs, NUL-separated
    std::vector<Entry> m_entries;
};
