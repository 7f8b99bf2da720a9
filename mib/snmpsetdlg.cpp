#include "snmpsetdlg.h"

#include "valuecheck.h"

#include "deviceprofilestore.h"
#include "profileuse.h"
#include "ui_snmpsetdlg.h"

#include "appsettings.h"
#include "oidcombobox.h"
#include "snmperror.h"
#include "snmpstack.h"
#include "xmlread.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <limits>

namespace {

// The leading decimal number of a text, as the user typed it: optional
// white space, an optional sign, at least one digit. Whatever follows the
// digits is ignored.
struct LeadingNumber
{
    QString text;          // sign and digits, for messages
    bool negative = false;
    bool fits64 = false;   // magnitude below 10^19: `magnitude` holds it
    quint64 magnitude = 0;
};

std::optional<LeadingNumber> leadingNumber(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    const qsizetype start = i;
    LeadingNumber n;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        n.negative = text.at(i) == u'-';
        ++i;
    }
    const qsizetype firstDigit = i;
    while (i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9')
        ++i;
    if (i == firstDigit)
        return std::nullopt;
    n.text = text.mid(start, i - start);
    QStringView digits = QStringView(text).mid(firstDigit, i - firstDigit);
    while (digits.size() > 1 && digits.front() == u'0')
        digits = digits.mid(1);
    // 19 digits always fit in 64 bits; anything longer is out of every range here
    if (digits.size() <= 19) {
        n.fits64 = true;
        n.magnitude = digits.toULongLong();
    }
    return n;
}

} // namespace

CSnmpSetDlg::CSnmpSetDlg(const CXMLRead *reader, const CAppSettings *settings, DeviceList *devices, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CSnmpSetDlg>())
    , m_pReader(reader)
    , m_pSettings(settings)
    , m_pDevices(devices)
    , m_strOid(QLatin1String(kInitialOid))
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(m_ui->submitButton, &QPushButton::clicked, this, &CSnmpSetDlg::OnOK);
    connect(m_ui->closeButton, &QPushButton::clicked, this, &CSnmpSetDlg::OnCancel);
    connect(m_ui->oid, &COidComboBox::oidSelected, this, &CSnmpSetDlg::OnOidSelected);
    connect(m_ui->oid, &QComboBox::editTextChanged, this, &CSnmpSetDlg::showEnumerationFor);
    m_ui->enumValues->hide();
    connect(m_ui->enumValues, &QComboBox::activated, this, [this](int index) {
        m_ui->value->setText(m_ui->enumValues->itemText(index));
        m_ui->value->setFocus();
    });
    OnInitDialog();
}

CSnmpSetDlg::~CSnmpSetDlg() = default;

QComboBox *CSnmpSetDlg::deviceCombo() const { return m_ui->device; }
QLineEdit *CSnmpSetDlg::communityEdit() const { return m_ui->community; }
COidComboBox *CSnmpSetDlg::oidField() const { return m_ui->oid; }
QComboBox *CSnmpSetDlg::syntaxCombo() const { return m_ui->syntax; }
QLineEdit *CSnmpSetDlg::valueEdit() const { return m_ui->value; }
QComboBox *CSnmpSetDlg::enumCombo() const { return m_ui->enumValues; }
QPlainTextEdit *CSnmpSetDlg::statusBox() const { return m_ui->status; }
QPushButton *CSnmpSetDlg::submitButton() const { return m_ui->submitButton; }
QPushButton *CSnmpSetDlg::closeButton() const { return m_ui->closeButton; }

void CSnmpSetDlg::OnInitDialog()
{
    m_pRequest = new SnmpSetRequest(this);
    connect(m_pRequest, &SnmpSetRequest::sent, this, &CSnmpSetDlg::onRequestSent);
    connect(m_pRequest, &SnmpSetRequest::finished, this, &CSnmpSetDlg::onRequestFinished);
    // Told once the dialog is on screen; it stays usable, Submit then fails
    // with the stack's own error.
    m_bInitFailed = !m_pRequest->initialise();

    m_ui->oid->CreateDropDown(0, kDropDownHeight, m_pReader ? m_pReader->getMIBTable() : nullptr);
    m_ui->oid->setEditText(m_strOid);

    // The user chooses the syntax: a preselected one would be sent unnoticed.
    m_ui->syntax->setCurrentIndex(-1);

    if (m_pDevices)
        for (const tagDEVICE &device : std::as_const(*m_pDevices))
            insertDeviceSorted(device.strName);
    addDevice(QLatin1String(kLocalDevice), QLatin1String(kLocalDeviceSecond));
    m_ui->device->setCurrentIndex(0);
}

void CSnmpSetDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_bShown)
        return;
    m_bShown = true;
    if (m_bInitFailed)
        QTimer::singleShot(0, this, [this] { showMessage(tr("WinSNMP SNMP Open error!")); });
}

void CSnmpSetDlg::addDevice(const QString &name, const QString &second)
{
    if (m_pDevices) {
        if (AddDevice(*m_pDevices, name, second))
            insertDeviceSorted(name);
        return;
    }
    if (m_ui->device->findText(name, Qt::MatchFixedString) < 0)
        insertDeviceSorted(name);
}

void CSnmpSetDlg::setDeviceProfiles(DeviceProfileStore *profiles)
{
    m_profiles = profiles;
    if (!m_profiles)
        return;
    const QString typed = m_ui->device->currentText();
    for (const QString &name : m_profiles->names())
        if (m_ui->device->findText(name, Qt::MatchFixedString) < 0)
            insertDeviceSorted(name);
    m_ui->device->setEditText(typed);
    connect(m_ui->device, &QComboBox::currentTextChanged, this, &CSnmpSetDlg::showCredentialsFor,
            Qt::UniqueConnection);
    showCredentialsFor(typed);
}

std::optional<DeviceProfile> CSnmpSetDlg::profileNamed(const QString &device) const
{
    return m_profiles ? m_profiles->profile(device) : std::nullopt;
}

void CSnmpSetDlg::showCredentialsFor(const QString &device)
{
    const std::optional<DeviceProfile> profile = profileNamed(device);
    // a profile brings its own write community, or its SNMPv3 user
    m_ui->community->setEnabled(!profile);
    m_ui->community->setVisible(!profile || profile->target.version != SNMP_VERSION_V3);
    m_ui->community->setPlaceholderText(profile ? tr("from the profile") : QString());
    if (profile && profile->target.version == SNMP_VERSION_V3)
        setStatusText(tr("SNMPv3 user %1 (%2)")
                          .arg(profile->target.usm.userName, snmpSecurityLevelName(profile->target.usm.level)));
}

void CSnmpSetDlg::insertDeviceSorted(const QString &name)
{
    // a sorted box: the first entry, selected at start, is the
    // alphabetically first device
    int row = 0;
    while (row < m_ui->device->count() && m_ui->device->itemText(row).compare(name, Qt::CaseInsensitive) <= 0)
        ++row;
    m_ui->device->insertItem(row, name);
}

void CSnmpSetDlg::OnOidSelected(const OidTreeItem *item)
{
    if (!item)
        return;
    m_strOid = item->strOid;
    // a picked object is written at its scalar instance
    m_ui->oid->setEditText(m_strOid + QLatin1String(".0"));

    SnmpOid oid;
    if (!SnmpStrToOid(m_strOid, oid)) {
        showMessage(SnmpErrorText(SnmpGetLastError()));
        return;
    }
    tagMIBTran request;
    request.pDocument = m_pReader ? m_pReader->getMIBTable() : nullptr;
    request.pOid = &oid;
    request.strLang = m_pSettings ? m_pSettings->strLanguage : QStringLiteral("en");
    SNMPOidToTranStr(&request, 0);
    if (request.nWriteSyntax > 0) {
        setStatusText(request.strObjectDescr);
        m_ui->syntax->setCurrentIndex(request.nWriteSyntax - 1);
    } else {
        setStatusText(tr("This object is not defined as \"write enable' object.\r\n"
                         "Enter necessay information to operate SET request.\r\n"));
    }
}

void CSnmpSetDlg::OnOK()
{
    const int entry = m_ui->syntax->currentIndex();
    // one request at a time (Return reaches here even while Submit is disabled)
    if (entry < 0 || entry >= SyntaxCount || !m_pRequest || m_pRequest->isBusy())
        return;
    const QString oidText = m_ui->oid->currentText();
    const QString device = m_ui->device->currentText();
    const std::optional<SnmpValue> value = buildValue(entry, m_ui->value->text());
    if (!value)
        return;
    // what the MIB says the object takes, before the agent says it
    if (const QString problem = valueProblem(oidText, *value); !problem.isEmpty()) {
        showMessage(problem);
        return;
    }
    if (profileNamed(device)) {
        const SnmpValue toSet = *value;
        useDeviceProfile(m_profiles, device.trimmed(), this, [this, oidText, toSet](const DeviceProfile &profile) {
            if (!m_pRequest || m_pRequest->isBusy())
                return;
            m_pRequest->setAnswerTimeout(std::chrono::seconds(profile.timeoutSec));
            if (m_pRequest->start(profile.writeTarget(), oidText, toSet))
                m_ui->submitButton->setEnabled(false);
            else
                showMessage(SnmpErrorText(SnmpGetLastError(m_pRequest->session())));
        });
        return;
    }
    // An empty or unknown device is refused by the session at the send, an
    // OID text that does not parse too: both come back as a failed request.
    if (m_pRequest->start(device, m_ui->community->text(), oidText, *value))
        m_ui->submitButton->setEnabled(false);
    else
        showMessage(SnmpErrorText(SnmpGetLastError(m_pRequest->session())));
}

void CSnmpSetDlg::showEnumerationFor(const QString &oidText)
{
    const MibDocument *document = m_pReader ? m_pReader->getMIBTable() : nullptr;
    const MibDocument::Entry *object = ValueCheck::objectOf(document, oidText);
    m_ui->enumValues->clear();
    if (!object || !object->enumCount || object->bits) {
        m_ui->enumValues->hide();
        return;
    }
    for (const MibDocument::Enum &e : document->enums(*object))
        m_ui->enumValues->addItem(QStringLiteral("%1(%2)").arg(e.label).arg(e.value));
    m_ui->enumValues->setCurrentIndex(-1);
    m_ui->enumValues->show();
}

QString CSnmpSetDlg::valueProblem(const QString &oidText, const SnmpValue &value) const
{
    const MibDocument *document = m_pReader ? m_pReader->getMIBTable() : nullptr;
    const MibDocument::Entry *object = ValueCheck::objectOf(document, oidText);
    return object ? ValueCheck::problem(*document, *object, value) : QString();
}

std::optional<SnmpValue> CSnmpSetDlg::buildValue(int entry, const QString &text)
{
    // an enumeration may be given by its label: "up", "up(1)"
    if (entry == SyntaxSigned) {
        const MibDocument *document = m_pReader ? m_pReader->getMIBTable() : nullptr;
        const MibDocument::Entry *object = ValueCheck::objectOf(document, m_ui->oid->currentText());
        if (object && object->enumCount && !object->bits) {
            if (const std::optional<qint32> number = ValueCheck::enumValue(*document, *object, text))
                return SnmpValue::integer(*number);
            if (!text.trimmed().isEmpty() && text.trimmed().front().isLetter()) {
                showMessage(tr("\"%1\" is not a value of %2, which takes %3.")
                                .arg(text.trimmed(), object->name, ValueCheck::enumsText(*document, *object)));
                return std::nullopt;
            }
        }
    }
    switch (entry) {
    case SyntaxSigned:
        return buildInteger(false, text);
    case SyntaxUnsigned:
        return buildInteger(true, text);
    case SyntaxOctets:
        return SnmpValue::bytes(SNMP_SYNTAX_OCTETS, SnmpToLocal8Bit(text, kMaxOctetStringBytes));
    case SyntaxOid: {
        SnmpOid oid;
        if (!SnmpStrToOid(text, oid)) {
            showMessage(SnmpErrorText(SnmpGetLastError()));
            return std::nullopt;
        }
        return SnmpValue::objectId(std::move(oid));
    }
    case SyntaxIpAddress:
        if (std::optional<QByteArray> address = ParseIpAddress(text))
            return SnmpValue::bytes(SNMP_SYNTAX_IPADDR, *address);
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<SnmpValue> CSnmpSetDlg::buildInteger(bool isUnsigned, const QString &text)
{
    // Out-of-range values are refused rather than wrapped or saturated: a
    // different number than the one typed must never reach the agent.
    const qint64 lowest = isUnsigned ? 0 : std::numeric_limits<qint32>::min();
    const qint64 highest = isUnsigned ? qint64(std::numeric_limits<quint32>::max()) : std::numeric_limits<qint32>::max();
    const std::optional<LeadingNumber> n = leadingNumber(text);
    if (!n) {
        showMessage(tr("The value \"%1\" is not a decimal number.\nEnter a number from %2 to %3.")
                        .arg(text.trimmed(), QString::number(lowest), QString::number(highest)));
        return std::nullopt;
    }
    const bool inRange = n->fits64 && n->magnitude <= quint64(n->negative ? -lowest : highest);
    if (!inRange) {
        const QString message = isUnsigned
            ? tr("The value %1 is outside the range of a 32-bit unsigned integer.\nEnter a number from %2 to %3.")
            : tr("The value %1 is outside the range of a 32-bit signed integer.\nEnter a number from %2 to %3.");
        showMessage(message.arg(n->text, QString::number(lowest), QString::number(highest)));
        return std::nullopt;
    }
    const qint64 number = n->negative ? -qint64(n->magnitude) : qint64(n->magnitude);
    // Unsigned32 shares its tag with Gauge32 ([APPLICATION 2]): an INTEGER
    // would make every value above 2^31 - 1 negative at the agent, and the
    // layer's UINT32 (0x47) is the obsolete UInteger32 tag that agents
    // refuse as a wrong type.
    if (isUnsigned)
        return SnmpValue::unsignedValue(SNMP_SYNTAX_GAUGE32, static_cast<quint32>(number));
    return SnmpValue::integer(static_cast<qint32>(number));
}

std::optional<QByteArray> CSnmpSetDlg::ParseIpAddress(const QString &text)
{
    QStringList parts = text.split(u'.');
    if (parts.size() == 5 && parts.last().isEmpty())
        parts.removeLast(); // "10.0.0.1."
    QByteArray bytes;
    if (parts.size() == 4) {
        for (const QString &part : std::as_const(parts)) {
            // a part above 255, or without a number, would send another
            // address than the one typed
            const std::optional<LeadingNumber> n = leadingNumber(part);
            if (!n || !n->text.front().isDigit() || !n->fits64 || n->magnitude > 255)
                break;
            bytes.append(static_cast<char>(n->magnitude));
        }
    }
    if (bytes.size() != 4) {
        showMessage(tr("Invalid IP Address format.\r\nUse \"xxx.xxx.xxx.xxx\"\r\n"));
        return std::nullopt;
    }
    return bytes;
}

void CSnmpSetDlg::onRequestSent()
{
    // a progress line: the answer follows, or the timeout
    appendStatusText(tr("SNMP SET request has been sent."));
}

void CSnmpSetDlg::onRequestFinished(const SnmpSetResult &result)
{
    m_ui->submitButton->setEnabled(true);
    const QString text = resultText(result);
    appendStatusText(text);
    if (result.outcome != SnmpSetResult::Accepted)
        showMessage(text);
}

QString CSnmpSetDlg::resultText(const SnmpSetResult &result) const
{
    switch (result.outcome) {
    case SnmpSetResult::Accepted: {
        if (!result.variable)
            return tr("SNMP SET succeeded; the agent returned no variable.");
        // named and rendered as the walk lists it
        const tagVARBINDTEXT text = describeVariable(*result.variable);
        return tr("SNMP SET succeeded: %1 = %2").arg(text.strName, text.strValue);
    }
    case SnmpSetResult::Refused: {
        QString name = ErrorStatusName(result.errorStatus);
        if (name.isEmpty())
            name = tr("unknown error status");
        const QString status = QString::number(result.errorStatus);
        const QString index = QString::number(result.errorIndex);
        if (!result.variable)
            return tr("SNMP SET failed: %1 (%2); the agent named no variable (error index %3).")
                .arg(name, status, index);
        return tr("SNMP SET failed: %1 (%2) at variable %3: %4")
            .arg(name, status, index, describeVariable(*result.variable).strName);
    }
    case SnmpSetResult::NoAnswer:
        return tr("No answer from %1 within %2 seconds: check the device name, the write community and "
                  "that the agent allows SET.")
            .arg(result.device, QString::number(std::chrono::duration<double>(result.timeout).count()));
    case SnmpSetResult::Failed:
        break;
    }
    return SnmpErrorText(result.layerError);
}

tagVARBINDTEXT CSnmpSetDlg::describeVariable(const SnmpVarBind &variable) const
{
    const QString language = m_pSettings ? m_pSettings->strLanguage : QStringLiteral("en");
    return TranslateVarBind(m_pReader ? m_pReader->getMIBTable() : nullptr, variable, language);
}

void CSnmpSetDlg::OnCancel()
{
    if (m_pRequest) {
        // deleted later: this may run while one of its signals is being
        // handled
        disconnect(m_pRequest, nullptr, this, nullptr);
        m_pRequest->cancel();
        m_pRequest->deleteLater();
        m_pRequest = nullptr;
    }
    QDialog::reject();
}

void CSnmpSetDlg::reject()
{
    OnCancel();
}

void CSnmpSetDlg::setStatusText(const QString &text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_ui->status->setPlainText(shown);
}

void CSnmpSetDlg::appendStatusText(const QString &text)
{
    m_ui->status->appendPlainText(text);
}

void CSnmpSetDlg::showMessage(const QString &text)
{
    QString body = text;
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(QMessageBox::NoIcon, tr("Orvelle"), body, QMessageBox::Ok, this);
    box.exec();
}
