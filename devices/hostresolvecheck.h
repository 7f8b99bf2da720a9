#pragma once

// Whether a profile's host resolves to an address, asked of the system's
// resolver (getaddrinfo) on a thread of the global pool: a name server may
// take seconds to answer, and the dialog must stay responsive meanwhile.
//
//     HostResolveCheck::start(host, this, [this](const std::optional<ProfileProblem> &p) {
//         if (p) refuse(*p); else accept();
//     });

#include "deviceprofile.h"

#include <QObject>

#include <functional>
#include <optional>

namespace HostResolveCheck {

using Callback = std::function<void(const std::optional<ProfileProblem> &problem)>;

// Calls `done` on `context`'s thread, from its event loop, unless `context`
// is gone by then: nothing when `host` resolves, else a problem of the Host
// field naming it.
void start(const QString &host, QObject *context, Callback done);

} // namespace HostResolveCheck
