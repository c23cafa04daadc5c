#include "importqueue.h"

#include "platform/log.h"

#include <QDateTime>
#include <QTimer>

ImportQueue::ImportQueue(std::function<bool()> busy, QObject* parent, int maxWaitMs)
    : QObject(parent), m_busy(std::move(busy)), m_maxWaitMs(maxWaitMs), m_retry(new QTimer(this)) {
    m_retry->setInterval(kRetryMs);
    connect(m_retry, &QTimer::timeout, this, &ImportQueue::tryNow);
}

void ImportQueue::add(const QStringList& files) {
    QStringList overflow;
    for (const QString& file : files) {
        if (file.isEmpty() || m_pending.contains(file))
            continue;
        if (m_pending.size() >= kMaxFiles)
            overflow << file;
        else
            m_pending << file;
    }
    if (!overflow.isEmpty()) {
        TLOG_ERROR("import queue full (" << kMaxFiles << " files), not imported: " << overflow.join(", "));
        emit refused(overflow);
    }
    if (m_pending.isEmpty())
        return;
    if (!m_retry->isActive())
        m_waitingSince = QDateTime::currentMSecsSinceEpoch();
    tryNow();
}

void ImportQueue::tryNow() {
    if (m_pending.isEmpty()) {
        m_retry->stop();
        return;
    }
    if (!m_busy || !m_busy()) {
        m_retry->stop();
        const QStringList files = m_pending;
        m_pending.clear();
        emit ready(files);
        return;
    }
    // A job already running (its dialog is modal) finishes first; these follow.
    if (QDateTime::currentMSecsSinceEpoch() - m_waitingSince >= m_maxWaitMs) {
        m_retry->stop();
        const QStringList files = m_pending;
        m_pending.clear();
        TLOG_ERROR("the window stayed busy for " << m_maxWaitMs / 1000
                                                 << " s, not imported: " << files.join(", "));
        emit refused(files);
        return;
    }
    if (!m_retry->isActive())
        m_retry->start();
}
