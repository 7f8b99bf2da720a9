// Tries to receive traps on one port and address, as whatever user runs it:
// the robustness test starts it as an unprivileged user to see what a
// privileged trap port says. Prints "bound", or the error code and message.

#include "snmpsession.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PORT ADDRESS\n", argv[0]);
        return 2;
    }
    CSnmpSession session(nullptr, static_cast<quint16>(QByteArray(argv[1]).toUInt()));
    session.setTrapAddresses({QString::fromLocal8Bit(argv[2])});
    session.Initialise(QStringLiteral("127.0.0.1"));
    if (session.RegisterTraps()) {
        std::puts("bound");
        return 0;
    }
    std::printf("code=%u\n%s\n", session.lastError(), session.trapFailureText().toUtf8().constData());
    return 1;
}
