#include "network.h"

#include <QAtomicInt>
#include <QNetworkInterface>

namespace {
QAtomicInt g_forced{int(NetworkState::Unforced)};
}

void forceNetworkState(NetworkState state) {
    g_forced.storeRelease(int(state));
}

bool isNetworkConnected() {
    switch (NetworkState(g_forced.loadAcquire())) {
    case NetworkState::Connected:
        return true;
    case NetworkState::Disconnected:
        return false;
    case NetworkState::Unforced:
        break;
    }
    const auto wanted = QNetworkInterface::IsUp | QNetworkInterface::IsRunning;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        if ((i.flags() & wanted) != wanted || (i.flags() & QNetworkInterface::IsLoopBack))
            continue;
        if (!i.addressEntries().isEmpty())
            return true;
    }
    return false;
}
