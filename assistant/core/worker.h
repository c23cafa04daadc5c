#pragma once
// Background jobs. A job runs once on a thread of its own (the processing
// dialog's); doWork() emits started(), does the work on the calling thread and
// ends with finished(r), 0 meaning success.

#include "catalogue/records.h"

#include <QObject>
#include <QSharedPointer>
#include <QString>
#include <QStringList>

class Worker : public QObject {
    Q_OBJECT
public:
    explicit Worker(QObject* parent = nullptr);

    // The job's title, used as the title of its error box.
    virtual QString name();
    // The message shown for a non-zero result.
    virtual QString errorString(int r);

public slots:
    virtual void doWork() = 0;

signals:
    void started();
    void finished(int r);
};

typedef QSharedPointer<Worker> WorkerPtr;

// Imports one ".tvp" archive (Core::importPack); the result is the import's code.
class PackImportWorker : public Worker {
    Q_OBJECT
public:
    explicit PackImportWorker(const QString& path, QObject* parent = nullptr);
    QString name() override;
    QString errorString(int r) override;
    QString path() const { return m_path; }

public slots:
    void doWork() override;

private:
    QString m_path;
};

// Removes a pack with all its resources. The pack stays owned by the caller,
// which keeps it alive until the job has ended.
class PackDeletingWorker : public Worker {
    Q_OBJECT
public:
    explicit PackDeletingWorker(TaviPack* pack, QObject* parent = nullptr);
    QString name() override;
    QString errorString(int r) override;

public slots:
    void doWork() override;

private:
    TaviPack* m_pack;
};

// Removes one resource (its files and its row); the catalogue announces it.
class AppDeletingWorker : public Worker {
    Q_OBJECT
public:
    explicit AppDeletingWorker(_TaviApp* app, QObject* parent = nullptr);
    QString name() override;
    QString errorString(int r) override;

public slots:
    void doWork() override;

private:
    _TaviApp* m_app;
};

// Builds a custom pack from files the user chose. The job gets its own copy of
// the file list, so it never touches the dialog's widgets from its thread.
class CustomPackAddWorker : public Worker {
    Q_OBJECT
public:
    CustomPackAddWorker(const QString& packName, const QStringList& files, QObject* parent = nullptr);
    QString errorString(int r) override;
    // The id the new pack got (empty until the job has run).
    QString packId() const { return m_packId; }

public slots:
    void doWork() override;

private:
    QString m_packName;
    QStringList m_files;
    QString m_packId;
};
