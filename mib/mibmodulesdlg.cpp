#include "mibmodulesdlg.h"

#include "messagebox.h"
#include "xmlread.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { ColName, ColRevision, ColObjects, ColNotifications, ColSource };

// "201803210000Z" -> "2018-03-21"
QString revisionText(const QString &revision)
{
    if (revision.size() < 8)
        return revision;
    // SMIv2 allows the two-digit year of the 1990s
    const QString digits = revision.size() == 11 ? QStringLiteral("19") + revision : revision;
    return QStringLiteral("%1-%2-%3").arg(digits.left(4), digits.mid(4, 2), digits.mid(6, 2));
}

} // namespace

MibModulesDialog::MibModulesDialog(const CXMLRead *reader, const QString &bundledDatabase, QWidget *parent)
    : QDialog(parent), m_reader(reader), m_store(new MibModuleStore(bundledDatabase, this))
{
    setWindowTitle(tr("MIB Modules"));
    m_modules = new QTreeWidget(this);
    m_modules->setRootIsDecorated(false);
    m_modules->setSortingEnabled(true);
    m_modules->setHeaderLabels({tr("Module"), tr("Last revision"), tr("Objects"), tr("Notifications"), tr("Source")});
    m_modules->header()->setSectionResizeMode(ColName, QHeaderView::Stretch);
    m_modules->setSelectionMode(QAbstractItemView::SingleSelection);

    m_status = new QLabel(this);
    m_progress = new QProgressBar(this);
    m_progress->hide();
    m_problems = new QTreeWidget(this);
    m_problems->setRootIsDecorated(false);
    m_problems->setHeaderLabels({tr("File"), tr("Line"), tr("Problem")});
    m_problems->header()->setStretchLastSection(true);
    m_problems->hide();

    auto *buttons = new QDialogButtonBox(this);
    m_add = buttons->addButton(tr("&Add..."), QDialogButtonBox::ActionRole);
    m_addFolder = buttons->addButton(tr("Add &Folder..."), QDialogButtonBox::ActionRole);
    m_remove = buttons->addButton(tr("&Remove"), QDialogButtonBox::ActionRole);
    m_close = buttons->addButton(QDialogButtonBox::Close);
    m_close->setText(tr("Close"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_modules, 3);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addWidget(m_problems, 1);
    layout->addWidget(buttons);
    resize(720, 520);

    connect(m_add, &QPushButton::clicked, this, &MibModulesDialog::onAdd);
    connect(m_addFolder, &QPushButton::clicked, this, &MibModulesDialog::onAddFolder);
    connect(m_remove, &QPushButton::clicked, this, &MibModulesDialog::onRemove);
    connect(m_close, &QPushButton::clicked, this, &MibModulesDialog::reject);
    connect(m_modules, &QTreeWidget::itemSelectionChanged, this, &MibModulesDialog::updateButtons);
    connect(m_store, &MibModuleStore::progress, this, &MibModulesDialog::onProgress);
    connect(m_store, &MibModuleStore::finished, this, &MibModulesDialog::onFinished);
    refresh();
}

MibModulesDialog::~MibModulesDialog() = default;

void MibModulesDialog::refresh()
{
    m_modules->setSortingEnabled(false);
    m_modules->clear();
    const MibDocument *document = m_reader ? m_reader->getMIBTable() : nullptr;
    if (document) {
        for (const MibModuleStore::Module &m : m_store->modules(*document)) {
            auto *item = new QTreeWidgetItem(m_modules);
            item->setText(ColName, m.name);
            item->setText(ColRevision, revisionText(m.revision));
            item->setData(ColObjects, Qt::DisplayRole, m.objects);
            item->setData(ColNotifications, Qt::DisplayRole, m.notifications);
            item->setText(ColSource, m.user ? tr("user") : tr("bundled"));
            item->setToolTip(ColSource, m.file);
        }
    }
    m_modules->setSortingEnabled(true);
    m_modules->sortByColumn(ColName, Qt::AscendingOrder);
    updateButtons();
}

void MibModulesDialog::updateButtons()
{
    const bool busy = m_store->isBusy();
    const QList<QTreeWidgetItem *> selected = m_modules->selectedItems();
    m_add->setEnabled(!busy);
    m_addFolder->setEnabled(!busy);
    // only what the user added can be taken out
    m_remove->setEnabled(!busy && !selected.isEmpty() && !m_store->userModuleFiles().value(selected.first()->text(ColName)).isEmpty());
}

void MibModulesDialog::onAdd()
{
    const QStringList files = QFileDialog::getOpenFileNames(this, tr("Add MIB modules"), QString(),
                                                            tr("MIB modules (*.txt *.mib *.my *.smi);;All files (*)"));
    if (!files.isEmpty())
        addModules(files);
}

void MibModulesDialog::onAddFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Add every MIB module of a folder"));
    if (!folder.isEmpty())
        addModules({folder});
}

void MibModulesDialog::addModules(const QStringList &filesOrFolders)
{
    if (!m_store->add(filesOrFolders)) {
        showProblems(m_store->problems());
        return;
    }
    setBusy(true, tr("Compiling..."));
}

void MibModulesDialog::onRemove()
{
    const QList<QTreeWidgetItem *> selected = m_modules->selectedItems();
    if (selected.isEmpty())
        return;
    const QString module = selected.first()->text(ColName);
    if (!MessageBox::ask(this, tr("Take the module %1 out of your MIB database?").arg(module)))
        return;
    if (!m_store->remove(module)) {
        showProblems(m_store->problems());
        return;
    }
    setBusy(true, tr("Removing %1...").arg(module));
}

void MibModulesDialog::onProgress(int done, int total, const QString &module)
{
    m_progress->setRange(0, total);
    m_progress->setValue(done);
    m_status->setText(tr("Compiling %1 (%2 of %3)...").arg(module).arg(done + 1).arg(total));
}

void MibModulesDialog::onFinished(bool changed, const QList<MibModuleStore::Problem> &problems)
{
    setBusy(false);
    showProblems(problems);
    if (changed) {
        emit databaseChanged();
        refresh();
        m_status->setText(problems.isEmpty() ? tr("Your MIB database was updated; it is in use now.")
                                             : tr("Your MIB database was updated, with the warnings below."));
    } else {
        m_status->setText(tr("Nothing was changed: see the problems below."));
    }
}

void MibModulesDialog::showProblems(const QList<MibModuleStore::Problem> &problems)
{
    m_problems->clear();
    for (const MibModuleStore::Problem &p : problems) {
        auto *item = new QTreeWidgetItem(m_problems);
        item->setText(0, p.file.isEmpty() ? QString() : QFileInfo(p.file).fileName());
        item->setToolTip(0, p.file);
        item->setText(1, p.line > 0 ? QString::number(p.line) : QString());
        item->setText(2, p.text);
        item->setToolTip(2, p.text);
    }
    m_problems->setVisible(!problems.isEmpty());
    if (!problems.isEmpty() && !m_store->isBusy())
        m_status->setText(tr("Nothing was changed: see the problems below."));
}

void MibModulesDialog::setBusy(bool busy, const QString &status)
{
    m_progress->setVisible(busy);
    if (busy) {
        m_progress->setRange(0, 0);
        m_problems->clear();
        m_problems->hide();
        m_status->setText(status);
    }
    updateButtons();
}

void MibModulesDialog::reject()
{
    // closing while a compile runs stops it; the database stays as it was
    m_store->cancel();
    QDialog::reject();
}
