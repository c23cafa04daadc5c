#pragma once
// Reloads the current user from the service on the thread the object lives
// on (Core's worker thread). Emitting run() from any thread starts it there.

#include <QObject>

class RefreshUserInfoWorker : public QObject {
    Q_OBJECT
public:
    explicit RefreshUserInfoWorker(QObject* parent = nullptr);

signals:
    void run();
    void started();
    void done(int r);

public slots:
    void doWork();
};
