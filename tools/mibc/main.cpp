// orvelle-mibc: compiles SMI MIB modules and facts files into MIBTable.xml.

#include "mibcompiler.h"

#include "builtinmodules.h"

#include "i18n.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <cstdio>

namespace {

void usage(QTextStream &out)
{
    out << QCoreApplication::translate("orvelle-mibc", "Usage: orvelle-mibc [options] INPUT...\n"
              "Compiles MIB modules into the MIB database of Orvelle (MIBTable.xml).\n"
              "\n"
              "INPUT is a MIB module file (SMIv1 or SMIv2), a folder of module files, or a\n"
              "facts file (*.facts). Every module of a folder is compiled.\n"
              "\n"
              "Options:\n"
              "  -M DIR[:DIR...]        folders searched for imported modules (may repeat;\n"
              "                         default: %1)\n"
              "  -o FILE                output file (default: MIBTable.xml)\n"
              "  --severity FILE        severity overrides: lines \"NAME-or-OID SEVERITY\"\n"
              "                         (1 informational, 2 minor, 3 major)\n"
              "  --ja FILE              Japanese descriptions: lines \"NAME-or-OID TEXT\"\n"
              "  --default-severity N   severity of notifications without a --#SEVERITY\n"
              "                         hint (default: 2, minor)\n"
              "  --base FILE            merge into this MIBTable.xml: the input modules replace\n"
              "                         its definitions of the same modules; nothing is\n"
              "                         written unless every module compiles cleanly\n"
              "  --progress             print \"progress N/M MODULE\" before each module\n"
              "  --write-facts FILE     write the definitions of the input modules as facts\n"
              "                         (no descriptions) instead of MIBTable.xml\n"
              "  --builtin [MODULE]     list the built-in modules (used for imports that are\n"
              "                         not on the search path), or print one as SMI text\n"
              "  -q                     print problems only, no summary\n"
              "  -h, --help             this text\n"
              "\n"
              "Exit status: 0 everything compiled, 1 something failed (the output still holds\n"
              "what could be parsed), 2 nothing was written.\n")
               .arg(defaultMibSearchPath().join(u':'));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Orvelle::installTranslations(&app);
    QTextStream out(stdout);
    QTextStream err(stderr);

    MibcOptions options;
    bool searchGiven = false;
    bool quiet = false;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        auto value = [&](QString *to) {
            if (i + 1 >= args.size()) {
                err << QCoreApplication::translate("orvelle-mibc", "orvelle-mibc: %1 needs a value\n").arg(a);
                return false;
            }
            *to = args[++i];
            return true;
        };
        QString v;
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            usage(out);
            return 0;
        } else if (a == QLatin1String("-M") || (a.startsWith(QLatin1String("-M")) && a.size() > 2)) {
            if (a.size() > 2)
                v = a.mid(2);
            else if (!value(&v))
                return 2;
            options.searchDirs << v.split(u':', Qt::SkipEmptyParts);
            searchGiven = true;
        } else if (a == QLatin1String("-o")) {
            if (!value(&options.output))
                return 2;
        } else if (a == QLatin1String("--severity")) {
            if (!value(&v))
                return 2;
            options.severityFiles << v;
        } else if (a == QLatin1String("--ja")) {
            if (!value(&v))
                return 2;
            options.japaneseFiles << v;
        } else if (a == QLatin1String("--default-severity")) {
            if (!value(&v))
                return 2;
            bool ok = false;
            options.defaultSeverity = v.toInt(&ok);
            if (!ok || options.defaultSeverity < 1 || options.defaultSeverity > 3) {
                err << QCoreApplication::translate("orvelle-mibc", "orvelle-mibc: --default-severity is 1, 2 or 3\n");
                return 2;
            }
        } else if (a == QLatin1String("--builtin")) {
            const BuiltinMibModules &builtin = BuiltinMibModules::instance();
            for (const QString &line : builtin.loadErrors())
                err << "orvelle-mibc: " << line << '\n';
            if (i + 1 < args.size()) {
                const QByteArray text = builtin.moduleText(args[i + 1]);
                if (text.isEmpty()) {
                    err << QCoreApplication::translate("orvelle-mibc", "orvelle-mibc: %1 is not a built-in module\n").arg(args[i + 1]);
                    return 2;
                }
                out << text;
            } else {
                out << builtin.moduleNames().join(u'\n') << '\n';
            }
            return 0;
        } else if (a == QLatin1String("--base")) {
            if (!value(&options.baseFile))
                return 2;
        } else if (a == QLatin1String("--progress")) {
            options.progress = [&out](int done, int all, const QString &module) {
                out << "progress " << done << '/' << all << ' ' << module << Qt::endl;
            };
        } else if (a == QLatin1String("--write-facts")) {
            if (!value(&options.factsOutput))
                return 2;
        } else if (a == QLatin1String("-q")) {
            quiet = true;
        } else if (a.startsWith(u'-') && a.size() > 1) {
            err << QCoreApplication::translate("orvelle-mibc", "orvelle-mibc: unknown option %1 (see --help)\n").arg(a);
            return 2;
        } else {
            options.inputs << a;
        }
    }
    if (options.inputs.isEmpty()) {
        usage(err);
        return 2;
    }
    if (!searchGiven)
        options.searchDirs = defaultMibSearchPath();

    const MibcResult result = runMibCompiler(options);
    for (const QString &line : result.errors)
        err << "orvelle-mibc: " << line << '\n';
    if (!result.failedModules.isEmpty()) {
        const int failed = static_cast<int>(result.failedModules.size());
        const QString heading =
            QCoreApplication::translate("orvelle-mibc", "orvelle-mibc: %n module(s) did not compile cleanly:", nullptr, failed);
        err << heading << '\n';
        for (const QString &m : result.failedModules)
            err << "  " << m << '\n';
    }
    if (!quiet && result.written && options.factsOutput.isEmpty())
        out << QCoreApplication::translate("orvelle-mibc", "%1: %2 objects, %3 notifications from %4 modules\n")
                   .arg(QDir::toNativeSeparators(options.output))
                   .arg(result.objects).arg(result.notifications).arg(result.modules);
    out.flush();
    err.flush();
    if (!result.written)
        return 2;
    return result.errors.isEmpty() ? 0 : 1;
}
