#pragma once

// The MIB database and configuration reader: loads MIBTable.xml and
// Config.xml, names OIDs and values, describes traps.

#include "appsettings.h"
#include "mibdocument.h"
#include "snmptypes.h"

#include <QCoreApplication>
#include <QString>

// One translation request (see SNMPOidToTranStr).
struct tagMIBTran
{
    const MibDocument *pDocument = nullptr; // CXMLRead::getMIBTable(), or null
    const SnmpOid *pOid = nullptr;          // the OID to name
    const SnmpValue *pValue = nullptr;      // its value, or null
    QString strOidName;     // in: dotted OID (may be empty); out: name
    QString strValueText;   // in: rendered value; out: possibly translated
    QString strRawValue;    // out: the rendered value, when the convention shows it otherwise
    QString strObjectDescr; // out: description
    QString strLang;        // in: "en" or "ja"
    int nWriteSyntax = 0;   // out: SET syntax list entry + 1, 0 when not writable
};

// Mode 0 names an object: strOidName becomes the longest known name plus the
// instance suffix (1.3.6.1.2.1.2.2.1.2.3 -> ifDescr.3), an enumerated INTEGER
// value becomes "label(n)", and the object's description and write syntax
// are filled. Values of other syntaxes, OID values included, are left as
// they are. Mode 1 names an OID value: only strOidName is set. An OID the
// database does not know leaves strOidName unchanged (its dotted text when
// it came in empty). Returns 1 when a name was found, else 0.
int SNMPOidToTranStr(tagMIBTran *request, int mode);

// One variable binding as the program's lists show it. Each value starts
// empty, so a syntax the renderer does not know shows nothing rather than
// a neighbour's value.
struct tagVARBINDTEXT
{
    QString strOid;         // dotted
    QString strName;        // the database's name with its instance suffix, or the dotted OID
    QString strSyntax;      // the syntax label, e.g. "(octets)"
    QString strPlainValue;  // the value text after naming (an enumeration by its label)
    QString strValue;       // the same, an OID value shown as "name (dotted)" when the database knows it
    QString strRawValue;    // the value as it came, where its textual convention shows it otherwise (cell tips)
    QString strDescription; // the object's description
};

// Renders and names one variable binding: mode 0 for the variable, mode 1
// for an OID value. `document` may be null (nothing is named). Octet
// strings are read as text in `encoding` (an iconv name; empty: UTF-8).
tagVARBINDTEXT TranslateVarBind(const MibDocument *document, const SnmpVarBind &variable, const QString &language,
                                const QByteArray &encoding = {});

class CXMLRead
{
    Q_DECLARE_TR_FUNCTIONS(CXMLRead)
public:
    CXMLRead();
    ~CXMLRead();
    CXMLRead(const CXMLRead &) = delete;
    CXMLRead &operator=(const CXMLRead &) = delete;

    // Both give false on a missing, malformed or out-of-range file; then
    // errorString() says why (with the path) and errorLine() where (0: no
    // line). A failed load leaves what was loaded before untouched.
    bool loadMIBTable(const QString &path);
    bool loadConfigData(const QString &path);
    void getGlobalConfigData(tagGLOBALCONFIG &config) const;
    QString errorString() const { return m_error; }
    int errorLine() const { return m_errorLine; }

    // The loaded database, owned by the reader; null before a successful
    // loadMIBTable.
    const MibDocument *getMIBTable() const;

    // True, with the text, when the node has the attribute `key`.
    static bool getKey(pugi::xml_node node, const char *key, QString *text);
    static bool getKey(pugi::xml_node node, const QString &key, QString *text);

    // Describes a trap. `strDescription` comes in as the trap OID text (the
    // value of snmpTrapOID.0) and goes out as the notification's
    // description; the OID is looked up first as it stands, then rebuilt
    // from the enterprise and specific number. Severity: 1 Informational,
    // 2 Minor, 3 Major; 0 and the description unchanged when the trap is
    // unknown. Returns true when the trap was found.
    bool GetTrapDesciption(const QString &strEnterprise, int nSpecific, QString &strDescription,
                           quint32 *pSeverity, const QString &strLang) const;

private:
    std::unique_ptr<MibDocument> m_document;
    tagGLOBALCONFIG m_config;
    QString m_error;
    int m_errorLine = 0;
};

// Start-up: loads MIBTable.xml, then Config.xml, from DataFolder::dataDir()
// and fills settings.config. On failure gives the file's relative name
// ("DATA/MIBTable.xml" or "DATA/Config.xml") for the message box and the
// full reason (path, line, what is wrong) for standard error. The user's
// own database (DataFolder::userMibDatabase(), the bundled one with the
// modules the user added) is loaded instead where it exists; when it does
// not load, `warning` says why and the bundled one is used.
bool loadDataFiles(CXMLRead &reader, CAppSettings &settings, QString *failedFile, QString *reason,
                   QString *warning = nullptr);

// Loads the database the program uses now: the user's own where it
// exists and loads, else the bundled one. `warning` as above.
bool loadMibDatabase(CXMLRead &reader, QString *reason, QString *warning);

// The start-up failure message for a file: "XML database load error:FILE",
// translated.
QString dataLoadErrorMessage(const QString &failedFile);
