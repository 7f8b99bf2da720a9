// OID tree drop-down figures on 100,000-object databases: CreateDropDown,
// the first opening until the tree is painted, a second opening, opening the
// branch of 1,000 tables, and 1,000 steps Down (then Up) in the closed field,
// each step handled and the field repainted as in the dialogs. Three shapes
// of the same objects: "compiled", as orvelle-mibc writes a database (one
// internet tree, every object nested in its parent); "flat", every object a
// top-level element with its full OID, which the tree must nest by prefix
// itself (so every item is made at once there); "tables", the database of
// bench/mibdb, whose 1,000 tables are top-level elements without a common
// parent, so the tree opens with 1,000 items at its root.
//
// Offscreen unless QT_QPA_PLATFORM says otherwise. No arguments. Prints
// key=value lines; the last line is a one-line summary with the targets.

#include "benchmib.h"
#include "benchsupport.h"
#include "mibdocument.h"
#include "mibmodel.h"
#include "oidcombobox.h"
#include "oidtreectrl.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QVBoxLayout>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace BenchSupport;

constexpr int kObjects = 100000;
constexpr int kRuns = 3;             // fresh dialogs per shape; medians are printed
constexpr int kSteps = 1000;
constexpr double kTargetOpenMs = 200.0;
constexpr double kTargetStepMs = 1.0; // mean per step: the field follows the key at once
constexpr int kPaintTimeoutMs = 5000;


// The same objects, each a top-level element with its full OID.
QByteArray flatXml(const MibcDatabase &db)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<mib_table format=\"1\">\n";
    out.reserve(static_cast<qsizetype>(db.nodes().size()) * 260);
    for (const auto &[oid, n] : db.nodes()) {
        out += " <oid key=\"" + oid.toString().toLatin1() + '"';
        if (n.kind == QLatin1String("entry"))
            out += " sequence=\"1\"";
        out += "><name>" + n.name.toUtf8() + "</name>";
        if (mibWriteSyntax(n.syntax, n.access) > 0)
            out += "<write>" + QByteArray::number(mibWriteSyntax(n.syntax, n.access)) + "</write>";
        if (!n.descrEn.isEmpty())
            out += "<descr lang=\"en\">" + n.descrEn.toUtf8() + "</descr>";
        out += "</oid>\n";
    }
    out += "</mib_table>\n";
    return out;
}

double ms(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

// Notes when a widget has painted.
class PaintWatch : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

// Runs the event loop until the watched widget has painted; false on timeout.
bool waitPainted(PaintWatch &watch)
{
    QElapsedTimer t;
    t.start();
    while (!watch.painted && t.elapsed() < kPaintTimeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return watch.painted;
}

struct Figures
{
    double createMs = 0;
    size_t itemsMade = 0;
    double heapMiB = 0;
    double openFirstMs = 0;
    double openSecondMs = 0;
    double expandMs = 0;
    double downMs = 0;
    double downMaxMs = 0;
    double upMs = 0;
    int steps = 0;
    bool ok = true;
};

// One dialog: the field, its drop-down made and used as the user would.
// `expandToTables`: the tables sit under internet ... bench, which are opened
// before stepping so that 1,000 tables show.
Figures runOnce(const MibDocument &document, bool expandToTables)
{
    Figures f;
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *combo = new COidComboBox(&dialog);
    layout->addWidget(combo);
    layout->addStretch();
    dialog.resize(420, 420);
    dialog.show();
    QCoreApplication::processEvents();
    // the dialogs write the OID into the field
    QObject::connect(combo, &COidComboBox::oidSelected, combo, [combo, &f](const OidTreeItem *item) {
        ++f.steps;
        combo->setEditText(item->strOid);
    });

    malloc_trim(0);
    const size_t heapBefore = mallinfo2().uordblks;
    QElapsedTimer t;
    t.start();
    combo->CreateDropDown(0, 300, &document);
    f.createMs = ms(t);
    f.heapMiB = (double(mallinfo2().uordblks) - double(heapBefore)) / (1024.0 * 1024.0);
    COidTreeCtrl *tree = combo->tree();
    f.itemsMade = tree->oidModel()->itemCount();

    PaintWatch watch;
    tree->viewport()->installEventFilter(&watch);
    t.start();
    combo->showDropDown();
    f.ok = waitPainted(watch) && f.ok;
    f.openFirstMs = ms(t);
    combo->hideDropDown();
    QCoreApplication::processEvents();

    watch.painted = false;
    t.start();
    combo->showDropDown();
    f.ok = waitPainted(watch) && f.ok;
    f.openSecondMs = ms(t);

    // Down to the bench enterprise, whose 1,000 tables then show.
    if (expandToTables) {
        OidTreeModel *model = tree->oidModel();
        QModelIndex branch = model->index(0, 0);
        watch.painted = false;
        t.start();
        for (size_t depth = 4; depth <= kBenchEnterprise.ids.size() && branch.isValid(); ++depth) {
            tree->expand(branch);
            branch = model->index(0, 0, branch);
        }
        f.ok = waitPainted(watch) && f.ok;
        f.expandMs = ms(t);
    }
    combo->hideDropDown();
    QCoreApplication::processEvents();

    auto step = [&](int key, double *total, double *longest) {
        QElapsedTimer all;
        all.start();
        for (int i = 0; i < kSteps; ++i) {
            QElapsedTimer one;
            one.start();
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(combo, &press);
            QCoreApplication::processEvents(); // the field repaints
            if (longest)
                *longest = std::max(*longest, ms(one));
        }
        *total = ms(all);
    };
    f.steps = 0;
    step(Qt::Key_Down, &f.downMs, &f.downMaxMs);
    const int downSteps = f.steps;
    step(Qt::Key_Up, &f.upMs, nullptr);
    f.ok = f.ok && downSteps == kSteps && f.steps == 2 * kSteps && !combo->isDropDownVisible();
    f.steps = downSteps;
    return f;
}

struct ShapeResult
{
    QString summary;
    bool met = false;
};

ShapeResult measure(const char *shape, const QByteArray &xml, bool expandToTables)
{
    const QString prefix = QString::fromLatin1(shape);
    auto print = [&](const char *key, const QString &value) {
        out(QStringLiteral("%1_%2=%3").arg(prefix, QLatin1String(key), value));
    };
    MibDocument document;
    QString reason;
    int line = 0;
    QElapsedTimer t;
    t.start();
    if (!document.loadFromData(xml, &reason, &line)) {
        print("error", QStringLiteral("\"%1 (line %2)\"").arg(reason).arg(line));
        return {QStringLiteral("%1: the database did not load").arg(prefix), false};
    }
    print("objects", QString::number(document.entryCount()));
    print("file_bytes", QString::number(xml.size()));
    print("load_ms", QString::number(ms(t), 'f', 1));

    std::vector<Figures> runs;
    for (int i = 0; i < kRuns; ++i)
        runs.push_back(runOnce(document, expandToTables));
    auto med = [&](double Figures::*field) {
        std::vector<double> v;
        for (const Figures &f : runs)
            v.push_back(f.*field);
        return median(v);
    };
    const bool ok = std::all_of(runs.begin(), runs.end(), [](const Figures &f) { return f.ok; });
    const double open = med(&Figures::openFirstMs);
    const double down = med(&Figures::downMs);
    const double perStep = down / kSteps;
    print("create_ms", QString::number(med(&Figures::createMs), 'f', 1));
    print("items_made_at_create", QString::number(runs.front().itemsMade));
    print("tree_heap_mib", QString::number(runs.front().heapMiB, 'f', 2));
    print("open_first_ms", QString::number(open, 'f', 1));
    print("open_second_ms", QString::number(med(&Figures::openSecondMs), 'f', 1));
    if (expandToTables)
        print("expand_to_1000_tables_ms", QString::number(med(&Figures::expandMs), 'f', 1));
    print("steps", QString::number(runs.front().steps));
    print("step_down_1000_ms", QString::number(down, 'f', 1));
    print("step_down_max_ms", QString::number(med(&Figures::downMaxMs), 'f', 2));
    print("step_up_1000_ms", QString::number(med(&Figures::upMs), 'f', 1));
    print("runs_ok", ok ? QStringLiteral("yes") : QStringLiteral("no"));

    const bool openMet = ok && open < kTargetOpenMs;
    const bool stepMet = ok && perStep < kTargetStepMs;
    return {QStringLiteral("%1: create %2 ms, open %3 ms (<%4: %5), %6 steps %7 ms (<%8 ms/step: %9)")
                .arg(prefix)
                .arg(med(&Figures::createMs), 0, 'f', 1)
                .arg(open, 0, 'f', 1)
                .arg(kTargetOpenMs)
                .arg(openMet ? QStringLiteral("ok") : QStringLiteral("FAIL"))
                .arg(kSteps)
                .arg(down, 0, 'f', 1)
                .arg(kTargetStepMs)
                .arg(stepMet ? QStringLiteral("ok") : QStringLiteral("FAIL")),
            openMet && stepMet};
}

// The offscreen platform says for every popup shown that it can neither
// raise it nor grab the keyboard; nothing the figures depend on.
void quietPlatform(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietPlatform);
    QApplication app(argc, argv);
    out(QStringLiteral("platform=%1").arg(QGuiApplication::platformName()));
    out(QStringLiteral("runs=%1").arg(kRuns));
    out(QStringLiteral("load_average=\"%1\"").arg(loadAverage()));

    QElapsedTimer t;
    t.start();
    const MibcDatabase db = benchMibTables(kObjects, true);
    const QByteArray compiled = db.toXml();
    const QByteArray flat = flatXml(db);
    const QByteArray tables = benchMibTables(kObjects, false).toXml();
    out(QStringLiteral("generate_ms=%1").arg(t.elapsed()));

    const ShapeResult results[] = {measure("compiled", compiled, true), measure("flat", flat, true),
                                   measure("tables", tables, false)};
    QStringList summary;
    bool met = true;
    for (const ShapeResult &r : results) {
        summary << r.summary;
        met = met && r.met;
    }
    out(QStringLiteral("targets_met=%1").arg(met ? QStringLiteral("yes") : QStringLiteral("no")));
    out(QStringLiteral("summary: oidtree %1 objects; %2; %3")
            .arg(kObjects)
            .arg(summary.join(QStringLiteral("; ")), met ? QStringLiteral("all targets ok") : QStringLiteral("TARGETS FAIL")));
    return 0;
}
