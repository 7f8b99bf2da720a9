#include "hostresolvecheck.h"

#include <QFuture>
#include <QPromise>
#include <QThreadPool>

#include <netdb.h>
#include <sys/socket.h>

#include <memory>

namespace HostResolveCheck {

void start(const QString &host, QObject *context, Callback done)
{
    auto promise = std::make_shared<QPromise<QString>>();
    QFuture<QString> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, name = host.toUtf8()] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo *found = nullptr;
        const int rc = getaddrinfo(name.constData(), nullptr, &hints, &found);
        if (rc == 0)
            freeaddrinfo(found);
        promise->addResult(rc == 0 ? QString() : QString::fromLocal8Bit(gai_strerror(rc)));
        promise->finish();
    });
    // A continuation with a context runs on its thread and is dropped with it.
    future.then(context, [host, done](const QString &failure) {
        if (failure.isEmpty())
            return done(std::nullopt);
        done(ProfileProblem{DeviceProfileField::Host,
                            DeviceProfileTexts::tr("The host \"%1\" does not resolve to an address (%2). Please check "
                                                   "the name.")
                                .arg(host, failure)});
    });
}

} // namespace HostResolveCheck
