#pragma once
// The local user as several threads share it: the service client fills it on
// the worker thread, the interface reads it. Readers get a copy; a change is
// made whole under the lock or not at all.

#include "records.h"

#include <QMutex>
#include <functional>

class SharedUser {
public:
    TaviUser snapshot() const {
        QMutexLocker lock(&m_lock);
        return m_user;
    }
    void set(const TaviUser& user) {
        QMutexLocker lock(&m_lock);
        m_user = user;
    }
    // Runs change on a copy under the lock; the copy is kept when change returns true.
    bool update(const std::function<bool(TaviUser&)>& change) {
        QMutexLocker lock(&m_lock);
        TaviUser copy = m_user;
        if (!change(copy))
            return false;
        m_user = copy;
        return true;
    }

private:
    mutable QMutex m_lock;
    TaviUser m_user;
};
