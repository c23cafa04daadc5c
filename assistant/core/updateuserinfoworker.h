#pragma once
// Sends an edited profile on the thread the object lives on (Core's worker
// thread). The record travels as its own shared copy, so the page and the
// job never share it.

#include "catalogue/records.h"

#include <QObject>

class UpdateUserInfoWorker : public QObject {
    Q_OBJECT
public:
    explicit UpdateUserInfoWorker(QObject* parent = nullptr);

signals:
    void run(TaviUserPtr user);
    void started();
    void done(int r);

public slots:
    void doWork(TaviUserPtr user);
};
