#pragma once

// CWalkLog: the MIB walk dialog's traffic log, "DIROvazur.log" in the
// process's current directory. One line per request that went out and one
// per reply item, error or timeout, so that a user can hand the exchange of
// the last Get or Get Next to someone else. The file holds that last run
// only: every Open truncates it.
//
// Lines end in CR LF and are written in the locale's encoding (LocaleCodec),
// a character it cannot represent becoming '?', exactly the bytes converted:
// the file is read with other programs, so it carries no header, time stamp
// or byte-order mark. Write errors are not reported; the walk matters more
// than its log.

#include "snmpsession.h"

#include <QFile>
#include <QString>

#include <memory>

class CWalkLog
{
public:
    // "DIROvazur.log": the base name with ".log", relative to the current
    // directory (no folder is prepended).
    static QString fileName();

    CWalkLog();
    ~CWalkLog();
    CWalkLog(const CWalkLog &) = delete;
    CWalkLog &operator=(const CWalkLog &) = delete;

    // Creates the file or truncates it to length 0. False when it cannot be
    // opened; then nothing is written until a later Open succeeds.
    bool Open();
    void Close();
    bool isOpen() const { return m_file != nullptr; }

    // One line of the kind the session's notification code names:
    // SNMPN_GET_SENT "GET request: text", SNMPN_GETNEXT_SENT "GET NEXT
    // request: text", SNMPN_RECEIVED ">>>> reply->text". Any other kind, or a
    // closed log, writes nothing.
    void WriteLog(const QString &text, SnmpNotifyCode kind);

    // The line WriteLog writes for `kind`, with its CR LF; empty for a kind
    // that is not logged.
    static QString formatLine(const QString &text, SnmpNotifyCode kind);

private:
    std::unique_ptr<QFile> m_file;
};
