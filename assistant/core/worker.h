#pragma once
// Background jobs. A job runs once on a thread of its own (the processing
// dialog's); doWork() emits started(), does the work on the calling thread and
// ends with finished(r), 0 meaning success.

#include "catalogue/records.h"
#include "packs/packimport.h"

#include <QAtomicInt>
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
    // Jobs that can tell how far they are report progress(); the others run
    // behind a busy animation.
    virtual bool reportsProgress() const { return false; }
    // A result that means the user stopped the job: no error box for it.
    virtual bool isCancelResult(int) const { return false; }

    // Asks the job to stop where it still can (any thread).
    void requestCancel() { m_cancel.storeRelease(1); }
    bool cancelRequested() const { return m_cancel.loadAcquire() != 0; }

public slots:
    virtual void doWork() = 0;

signals:
    void started();
    void finished(int r);
    // How far the job has come (0-100, never going back), what it is doing in
    // the user's words, and whether stopping it is still possible.
    void progress(int percent, const QString& stage, bool cancellable);

private:
    QAtomicInt m_cancel{0};
};

typedef QSharedPointer<Worker> WorkerPtr;

// Imports one ".tvp" archive (Core::importPack); the result is the import's
// code. It reports its stages (unpacking, checking, moving and cataloguing)
// and can be stopped while it unpacks.
class PackImportWorker : public Worker, private packs::ImportObserver {
    Q_OBJECT
public:
    explicit PackImportWorker(const QString& path, QObject* parent = nullptr);
    QString name() override;
    QString errorString(int r) override;
    bool reportsProgress() const override { return true; }
    bool isCancelResult(int r) const override;
    QString path() const { return m_path; }
    // What the import did (filled when it has finished).
    const packs::ImportReport& report() const { return m_report; }
    // The outcome in the user's words, for a summary of several imports.
    QString outcome() const;

public slots:
    void doWork() override;

private:
    void advanced(Stage stage, int done, int total) override;
    bool cancelRequested() override { return Worker::cancelRequested(); }

    QString m_path;
    packs::ImportReport m_report;
    int m_lastPercent = -1;
    int m_lastStage = -1;
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
