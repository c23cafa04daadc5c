#pragma once
// Asks the service whether a newer client exists (the update button's job,
// run behind the processing dialog). The record it fills belongs to the
// caller, who reads it only once the job has ended.

#include "core/worker.h"
#include "online/netrecords.h"

class CheckUpdateWorker : public Worker {
    Q_OBJECT
public:
    CheckUpdateWorker(const QString& version, _UpdateInfo* info, QObject* parent = nullptr);
    QString name() override;
    QString errorString(int r) override;

public slots:
    // finished(0) when the service answered with a usable reply, 1 otherwise.
    void doWork() override;

private:
    QString m_version;
    _UpdateInfo* m_info;
};
