#include "xmlread.h"

#include "valuedisplay.h"

#include "snmprender.h"

#include "datafolder.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <cstring>

namespace {

// Appends ".n" for each sub-identifier from `from` on, without a temporary
// string per number: this runs for every varbind of every trap and walk.
void appendSuffix(QString &out, const std::vector<quint32> &ids, size_t from)
{
    char16_t buffer[12];
    for (size_t i = from; i < ids.size(); ++i) {
        quint32 v = ids[i];
        int n = 0;
        do {
            buffer[n++] = static_cast<char16_t>(u'0' + v % 10);
            v /= 10;
        } while (v);
        out += u'.';
        while (n)
            out += QChar(buffer[--n]);
    }
}

// A trap description is shown on one line of the trap list.
QString oneLine(const QString &text)
{
    return text.simplified();
}

bool parseConfigNumber(const QString &text, qint64 *value)
{
    bool ok = false;
    *value = text.trimmed().toLongLong(&ok);
    return ok;
}

} // namespace

namespace {

// The value as its object's convention shows it; nothing where the raw
// form is all there is.
std::optional<QString> conventionText(const MibDocument &document, const MibDocument::Entry &entry, const SnmpValue &value)
{
    if (SnmpIsOverlong(value))
        return std::nullopt; // its bytes, as they came
    switch (value.syntax) {
    case SNMP_SYNTAX_INT32:
        return *entry.hint ? ValueDisplay::integerByHint(value.int32(), QString::fromUtf8(entry.hint)) : std::nullopt;
    case SNMP_SYNTAX_UINT32:
    case SNMP_SYNTAX_GAUGE32:
        return *entry.hint ? ValueDisplay::integerByHint(value.number, QString::fromUtf8(entry.hint)) : std::nullopt;
    case SNMP_SYNTAX_OCTETS:
    case SNMP_SYNTAX_BITS:
        if (entry.bits) {
            return ValueDisplay::bits(value.octets, [&](qint32 bit) {
                const QString *label = document.enumLabel(entry, bit);
                return label ? *label : QString();
            });
        }
        if (!*entry.tc && !*entry.hint)
            return std::nullopt;
        return ValueDisplay::octetsByConvention(value.octets, QString::fromUtf8(entry.tc), QString::fromUtf8(entry.hint));
    default:
        return std::nullopt;
    }
}

} // namespace

tagVARBINDTEXT TranslateVarBind(const MibDocument *document, const SnmpVarBind &variable, const QString &language,
                                const QByteArray &encoding)
{
    tagVARBINDTEXT out;
    QString valueText;
    RenderValue(variable.value, out.strSyntax, valueText);
    if (!encoding.isEmpty())
        ValueToText(variable.value, valueText, encoding);
    out.strOid = OidToText(variable.oid);

    tagMIBTran request;
    request.pDocument = document;
    request.pOid = &variable.oid;
    request.pValue = &variable.value;
    request.strOidName = out.strOid;
    request.strValueText = valueText;
    request.strLang = language;
    SNMPOidToTranStr(&request, 0);
    out.strName = request.strOidName;
    out.strPlainValue = request.strValueText;
    out.strRawValue = request.strRawValue;
    out.strValue = out.strPlainValue;
    out.strDescription = request.strObjectDescr;

    if (variable.value.syntax == SNMP_SYNTAX_OID && !variable.value.oid.isEmpty()) {
        tagMIBTran name;
        name.pDocument = document;
        name.pOid = &variable.value.oid;
        name.pValue = &variable.value;
        name.strOidName = out.strPlainValue;
        name.strLang = language;
        SNMPOidToTranStr(&name, 1);
        if (name.strOidName.compare(out.strPlainValue, Qt::CaseInsensitive) != 0)
            out.strValue = QStringLiteral("%1 (%2)").arg(name.strOidName, out.strPlainValue);
    }
    return out;
}

int SNMPOidToTranStr(tagMIBTran *request, int mode)
{
    if (!request)
        return 0;
    if (mode == 0) {
        request->strObjectDescr.clear();
        request->nWriteSyntax = MibWriteNone;
    }
    if (!request->pOid)
        return 0;
    const std::vector<quint32> &ids = request->pOid->ids;
    const MibDocument::Match match =
        request->pDocument ? request->pDocument->longest(ids) : MibDocument::Match{};
    if (!match.entry) {
        if (request->strOidName.isEmpty())
            request->strOidName = request->pOid->toString();
        return 0;
    }
    const MibDocument::Entry &entry = *match.entry;
    QString name;
    name.reserve(entry.name.size() + static_cast<qsizetype>(ids.size() - match.length) * 4);
    name += entry.name;
    appendSuffix(name, ids, match.length);
    request->strOidName = std::move(name);
    if (mode != 0)
        return 1;

    // A prefix that is only a branch (enterprises.9999.1) says nothing about
    // the object below it: no description, not writable.
    if (match.length == ids.size() || entry.object) {
        request->strObjectDescr = MibDocument::description(entry, request->strLang);
        request->nWriteSyntax = entry.writeSyntax;
    }
    if (entry.object && entry.enumCount && !entry.bits) {
        bool haveNumber = false;
        qint32 number = 0;
        if (request->pValue) {
            if (request->pValue->syntax == SNMP_SYNTAX_INT32 && !SnmpIsOverlong(*request->pValue)) {
                number = request->pValue->int32();
                haveNumber = true;
            }
        } else {
            number = request->strValueText.toInt(&haveNumber);
        }
        if (haveNumber) {
            if (const QString *label = request->pDocument->enumLabel(entry, number))
                request->strValueText = QStringLiteral("%1(%2)").arg(*label).arg(number);
        }
    } else if (entry.object && request->pValue) {
        if (auto shown = conventionText(*request->pDocument, entry, *request->pValue);
            shown && *shown != request->strValueText) {
            request->strRawValue = request->strValueText;
            request->strValueText = std::move(*shown);
        }
    }
    return 1;
}

CXMLRead::CXMLRead() = default;
CXMLRead::~CXMLRead() = default;

bool CXMLRead::loadMIBTable(const QString &path)
{
    auto document = std::make_unique<MibDocument>();
    QString reason;
    int line = 0;
    if (!document->load(path, &reason, &line)) {
        m_error = line > 0 ? tr("%1 (line %2)").arg(reason).arg(line) : reason;
        m_errorLine = line;
        return false;
    }
    m_document = std::move(document);
    m_error.clear();
    m_errorLine = 0;
    return true;
}

bool CXMLRead::loadConfigData(const QString &path)
{
    auto fail = [this, &path](const QString &why, int line) {
        m_error = line > 0 ? tr("%1: %2 (line %3)").arg(path, why).arg(line) : tr("%1: %2").arg(path, why);
        m_errorLine = line;
        return false;
    };

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(tr("cannot open: %1").arg(file.errorString()), 0);
    const QByteArray data = file.readAll();
    auto lineOf = [&data](ptrdiff_t offset) {
        offset = std::clamp<ptrdiff_t>(offset, 0, data.size());
        return 1 + static_cast<int>(std::count(data.constBegin(), data.constBegin() + offset, '\n'));
    };

    pugi::xml_document xml;
    const pugi::xml_parse_result result =
        xml.load_buffer(data.constData(), static_cast<size_t>(data.size()), pugi::parse_default, pugi::encoding_utf8);
    if (!result)
        return fail(QString::fromUtf8(result.description()), lineOf(result.offset));
    const pugi::xml_node root = xml.document_element();
    if (!root || std::strcmp(root.name(), "config") != 0)
        return fail(tr("the document element is not <config>"), root ? lineOf(root.offset_debug()) : 0);

    tagGLOBALCONFIG config;
    auto number = [&](const QString &setting, const QString &text, qint64 low, qint64 high, int line, qint64 *out) {
        if (parseConfigNumber(text, out) && *out >= low && *out <= high)
            return true;
        return fail(tr("%1 is \"%2\"; it must be a whole number from %3 to %4")
                        .arg(setting, text.trimmed()).arg(low).arg(high),
                    line);
    };
    // <journal> and <forward> hold settings of their own, one level down.
    auto readSection = [&](pugi::xml_node section, bool journal) {
        const QString sectionName = QString::fromUtf8(section.name());
        for (pugi::xml_node n = section.first_child(); n; n = n.next_sibling()) {
            if (n.type() != pugi::node_element)
                continue;
            const QString name = QString::fromUtf8(n.name());
            const QString setting = sectionName + u'/' + name;
            const QString text = QString::fromUtf8(n.child_value()).trimmed();
            const int line = lineOf(n.offset_debug());
            qint64 value = 0;
            if (journal && name == QLatin1String("enabled")) {
                if (!number(setting, text, 0, 1, line, &value))
                    return false;
                config.journal.enabled = value != 0;
            } else if (journal && name == QLatin1String("file")) {
                config.journal.path = text;
            } else if (journal && name == QLatin1String("retention_days")) {
                if (!number(setting, text, 0, ConfigLimits::kMaxRetentionDays, line, &value))
                    return false;
                config.journal.retentionDays = static_cast<quint32>(value);
            } else if (journal && name == QLatin1String("max_size_mb")) {
                if (!number(setting, text, 0, ConfigLimits::kMaxJournalMiB, line, &value))
                    return false;
                config.journal.maxSizeMiB = static_cast<quint32>(value);
            } else if (!journal && name == QLatin1String("host")) {
                config.forward.host = text;
            } else if (!journal && name == QLatin1String("port")) {
                if (!number(setting, text, ConfigLimits::kMinPort, ConfigLimits::kMaxPort, line, &value))
                    return false;
                config.forward.port = static_cast<quint16>(value);
            } else if (!journal && name == QLatin1String("protocol")) {
                if (text.compare(QLatin1String("udp"), Qt::CaseInsensitive) == 0)
                    config.forward.protocol = ForwardConfig::Udp;
                else if (text.compare(QLatin1String("tcp"), Qt::CaseInsensitive) == 0)
                    config.forward.protocol = ForwardConfig::Tcp;
                else
                    return fail(tr("%1 is \"%2\"; it must be udp or tcp").arg(setting, text), line);
            } else {
                return fail(tr("unknown setting <%1>").arg(setting), line);
            }
        }
        return true;
    };
    config.nMaxRows = ConfigLimits::kDefaultRows;
    config.nTrapPort = ConfigLimits::kDefaultTrapPort;
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_element)
            continue;
        const QString name = QString::fromUtf8(n.name());
        const QString text = QString::fromUtf8(n.child_value());
        const int line = lineOf(n.offset_debug());
        qint64 number = 0;
        if (name == QLatin1String("max_rows")) {
            if (!parseConfigNumber(text, &number) || number < ConfigLimits::kMinRows || number > ConfigLimits::kMaxRows)
                return fail(tr("max_rows is \"%1\"; it must be a whole number from %2 to %3")
                                .arg(text.trimmed()).arg(ConfigLimits::kMinRows).arg(ConfigLimits::kMaxRows),
                            line);
            config.nMaxRows = static_cast<quint32>(number);
        } else if (name == QLatin1String("trap_port")) {
            if (!parseConfigNumber(text, &number) || number < ConfigLimits::kMinPort || number > ConfigLimits::kMaxPort)
                return fail(tr("trap_port is \"%1\"; it must be a whole number from %2 to %3")
                                .arg(text.trimmed()).arg(ConfigLimits::kMinPort).arg(ConfigLimits::kMaxPort),
                            line);
            config.nTrapPort = static_cast<quint16>(number);
        } else if (name == QLatin1String("action_program")) {
            config.strActionProgram = text.trimmed();
        } else if (name == QLatin1String("action_args")) {
            config.strActionArgs = text;
        } else if (name == QLatin1String("enterprise_filter")) {
            config.strEnterpriseFilter = text.trimmed();
        } else if (name == QLatin1String("journal") || name == QLatin1String("forward")) {
            if (!readSection(n, name == QLatin1String("journal")))
                return false;
        } else {
            // A misspelt setting would otherwise fall back to its default
            // without a word.
            return fail(tr("unknown setting <%1>").arg(name), line);
        }
    }
    m_config = config;
    m_error.clear();
    m_errorLine = 0;
    return true;
}

void CXMLRead::getGlobalConfigData(tagGLOBALCONFIG &config) const
{
    config = m_config;
}

const MibDocument *CXMLRead::getMIBTable() const
{
    return m_document.get();
}

bool CXMLRead::getKey(pugi::xml_node node, const char *key, QString *text)
{
    const pugi::xml_attribute attribute = node.attribute(key);
    if (!attribute)
        return false;
    if (text)
        *text = QString::fromUtf8(attribute.value());
    return true;
}

bool CXMLRead::getKey(pugi::xml_node node, const QString &key, QString *text)
{
    return getKey(node, key.toUtf8().constData(), text);
}

bool CXMLRead::GetTrapDesciption(const QString &strEnterprise, int nSpecific, QString &strDescription,
                                 quint32 *pSeverity, const QString &strLang) const
{
    if (pSeverity)
        *pSeverity = 0;
    if (!m_document)
        return false;

    std::vector<SnmpOid> candidates;
    if (auto full = SnmpOid::fromString(strDescription.trimmed()))
        candidates.push_back(std::move(*full));
    const QString enterprise = strEnterprise.trimmed();
    if (!enterprise.isEmpty() && nSpecific >= 0) {
        const QString specific = QString::number(nSpecific);
        if (enterprise.startsWith(QLatin1String("1.3.6.1."))) {
            if (auto oid = SnmpOid::fromString(enterprise + u'.' + specific))
                candidates.push_back(std::move(*oid));
        } else {
            // SNMPv1 enterprise traps arrive as enterprise.0.specific; SMIv2
            // notifications may sit right under the enterprise.
            const QString base = QStringLiteral("1.3.6.1.4.1.") + enterprise;
            if (auto oid = SnmpOid::fromString(base + QStringLiteral(".0.") + specific))
                candidates.push_back(std::move(*oid));
            if (auto oid = SnmpOid::fromString(base + u'.' + specific))
                candidates.push_back(std::move(*oid));
        }
    }
    for (const SnmpOid &oid : candidates) {
        const MibDocument::Entry *entry = m_document->exact(oid);
        if (!entry || !entry->notification)
            continue;
        QString text = oneLine(MibDocument::description(*entry, strLang));
        strDescription = text.isEmpty() ? entry->name : text;
        if (pSeverity)
            *pSeverity = entry->severity;
        return true;
    }
    return false;
}

bool loadMibDatabase(CXMLRead &reader, QString *reason, QString *warning)
{
    if (warning)
        warning->clear();
    const QString bundled = DataFolder::dataDir() + QStringLiteral("/MIBTable.xml");
    const QString user = DataFolder::userMibDatabase();
    if (QFileInfo(user) != QFileInfo(bundled) && QFileInfo::exists(user)) {
        if (reader.loadMIBTable(user))
            return true;
        if (warning)
            // the reason names the file
            *warning = CXMLRead::tr("Your MIB database could not be read: %1. The bundled database is used "
                                    "instead. Add your modules again in Tools > MIB Modules to rebuild it.")
                           .arg(reader.errorString());
    }
    if (!reader.loadMIBTable(bundled)) {
        *reason = reader.errorString();
        return false;
    }
    return true;
}

bool loadDataFiles(CXMLRead &reader, CAppSettings &settings, QString *failedFile, QString *reason, QString *warning)
{
    const QString mibFile = QStringLiteral("DATA/MIBTable.xml");
    const QString configFile = QStringLiteral("DATA/Config.xml");
    const QString dir = DataFolder::dataDir();
    if (dir.isEmpty()) {
        *failedFile = mibFile;
        *reason = CXMLRead::tr("no DATA folder found; looked in: %1. Set ORVELLE_DATA_DIR to the folder "
                               "holding MIBTable.xml and Config.xml.")
                      .arg(DataFolder::baseFolders().join(QStringLiteral(", ")));
        return false;
    }
    if (!loadMibDatabase(reader, reason, warning)) {
        *failedFile = mibFile;
        return false;
    }
    if (!reader.loadConfigData(dir + QStringLiteral("/Config.xml"))) {
        *failedFile = configFile;
        *reason = reader.errorString();
        return false;
    }
    reader.getGlobalConfigData(settings.config);
    failedFile->clear();
    reason->clear();
    return true;
}

QString dataLoadErrorMessage(const QString &failedFile)
{
    return CXMLRead::tr("XML database load error:%1").arg(failedFile);
}
