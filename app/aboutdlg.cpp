#include "aboutdlg.h"
#include "ui_aboutdlg.h"

#include "helplauncher.h"

#include <QCoreApplication>

CAboutDlg::CAboutDlg(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CAboutDlg>())
{
    m_ui->setupUi(this);
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_ui->icon->setPixmap(QIcon(QStringLiteral(":/icons/orvelle-64.png")).pixmap(64, 64));
    m_ui->version->setText(versionText());
    connect(m_ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->obtainButton, &QPushButton::clicked, this, &CAboutDlg::obtainLatestMibDatabase);
}

CAboutDlg::~CAboutDlg() = default;

QString CAboutDlg::versionText() const
{
    return tr("Orvelle Version %1").arg(QCoreApplication::applicationVersion());
}

void CAboutDlg::obtainLatestMibDatabase()
{
    HelpLauncher::openProductPage(this);
}
