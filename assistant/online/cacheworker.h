#pragma once
// Rebuilds the whole region cache from the service: every province, every
// city and every school, one request after another on the thread the object
// lives on. Emitting run() from any thread starts it there.

#include <QObject>

class NetClient;
class OfflineDB;

class CacheWorker : public QObject {
    Q_OBJECT
public:
    CacheWorker(NetClient* net, OfflineDB* cache, QObject* parent = nullptr);

signals:
    void run();
    void started();
    // 0 once rebuilt: a failed request below the provinces leaves that level
    // empty, a failed insert is only logged. When the provinces cannot be had
    // the cache is left as it was and r is that request's result.
    void done(int r);

public slots:
    void doWork();

private:
    NetClient* m_net;
    OfflineDB* m_cache;
};
