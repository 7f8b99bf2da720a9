#pragma once

// The two decisions taken for every trap before it is listed: whether the
// enterprise filter lets it through, and which arguments the trap action
// program gets. Pure functions of the configuration and the record.

#include "traprecord.h"

#include <QString>
#include <QStringList>

// TRUE when the trap is shown. `filter` is a ';'-separated list of prefixes
// of the record's enterprise text; empty (or blank) shows everything. The
// test is a plain text prefix test: "9.9" also passes "9.99.1", and an empty
// entry (";;" or a leading ';') passes every trap.
bool PassesEnterpriseFilter(const QString &filter, const tagTRAPRECORD &record);

// Splits an argument template into arguments, shell-like but expanding
// nothing: blanks separate, double and single quotes group (and are
// removed), a backslash is an ordinary character. An unterminated quote runs
// to the end of the text.
QStringList SplitArgumentTemplate(const QString &argumentTemplate);

// Replaces the macros inside one argument, in their fixed order: %msg%,
// %action%, %AGENT%, %OID%, %CONTEXT%, %DESCRIPTION%, %ENTERPRISE%,
// %SEVERITY%, %TIME%. A macro name that an earlier value brought in is
// replaced by a later step, exactly as in one pass over a whole command
// line; what a value contains never splits or joins arguments.
QString ExpandActionMacros(const QString &argument, const tagTRAPRECORD &record);

// The argument list for a trap: the template split first, then every
// argument expanded.
QStringList BuildActionArguments(const QString &argumentTemplate, const tagTRAPRECORD &record);

// "%m/%d/%Y %H:%M:%S" of the time in local time, as %TIME% inserts it.
QString ActionTimeText(std::time_t time);
