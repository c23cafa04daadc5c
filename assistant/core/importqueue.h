#pragma once
// Pack files waiting for their import: named on the command line, handed over
// by a second start, or opened from the file manager while the window may be
// busy with a job or a dialog. The queue hands them on once the interface is
// free, looking again every half second. It holds a bounded number of files
// for a bounded time; what it cannot keep it reports, so nothing is dropped
// without a word.

#include <QObject>
#include <QStringList>
#include <functional>

class QTimer;

class ImportQueue : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxFiles = 100;
    static constexpr int kRetryMs = 500;
    static constexpr int kMaxWaitMs = 10 * 60 * 1000;

    // busy: true while the interface cannot start an import (a modal dialog is open).
    explicit ImportQueue(std::function<bool()> busy, QObject* parent = nullptr, int maxWaitMs = kMaxWaitMs);

    // Queues files (a file already waiting is not queued twice) and hands them
    // on at once when the interface is free.
    void add(const QStringList& files);
    QStringList pending() const { return m_pending; }

signals:
    // Import these now, one after another.
    void ready(const QStringList& files);
    // These were not kept: the queue was full, or the interface stayed busy too long.
    void refused(const QStringList& files);

private:
    void tryNow();

    std::function<bool()> m_busy;
    int m_maxWaitMs;
    QStringList m_pending;
    QTimer* m_retry = nullptr;
    qint64 m_waitingSince = 0;
};
