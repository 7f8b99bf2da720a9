#include "orvelleapp.h"
#include "servicemode.h"

int main(int argc, char *argv[])
{
    // Before QApplication: it removes its own options from argv.
    const bool serviceMode = isServiceMode(argc, argv);
    COrvelleApp app(argc, argv, serviceMode);
    int exitCode = 0;
    if (!app.InitInstance(&exitCode))
        return exitCode;
    return app.exec();
}
