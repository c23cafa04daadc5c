#include "processingdialog.h"

#include <QLabel>
#include <QMessageBox>
#include <QMovie>
#include <QVBoxLayout>

ProcessingDialog::ProcessingDialog(QSharedPointer<Worker> worker, QWidget* parent)
    : QDialog(parent), m_worker(worker) {
    if (objectName().isEmpty())
        setObjectName("ProcessingDialog");
    resize(400, 300);
    setWindowTitle(tr("Processing"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedSize(47, 45);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_label = new QLabel(this);
    m_label->setFixedSize(47, 45);
    m_movie = new QMovie(":/images/loading");
    m_label->setMovie(m_movie);
    layout->addWidget(m_label);

    if (m_worker) {
        m_worker->moveToThread(&m_thread);
        connect(&m_thread, &QThread::started, m_worker.data(), &Worker::doWork);
        connect(m_worker.data(), &Worker::finished, this, &ProcessingDialog::onWorkDone,
                Qt::QueuedConnection);
        m_thread.start(QThread::InheritPriority);
    } else {
        // Nothing to run: the dialog ends as a job with nothing to do would.
        QMetaObject::invokeMethod(this, "onWorkDone", Qt::QueuedConnection, Q_ARG(int, 0));
    }
    m_movie->start();
}

ProcessingDialog::~ProcessingDialog() {
    if (m_thread.isRunning()) {
        m_thread.quit();
        m_thread.wait();
    }
    m_label->setMovie(nullptr);
    delete m_movie;
    m_movie = nullptr;
    m_worker.reset();
}

void ProcessingDialog::onWorkDone(int r) {
    m_result = r;
    m_done = true;
    m_movie->stop();
    // The job's thread has nothing more to do.
    m_thread.quit();
    if (r == 0) {
        accept();
        return;
    }
    QMessageBox::critical(this, m_worker->name(), m_worker->errorString(r), QMessageBox::Ok);
    QDialog::reject();
}

void ProcessingDialog::reject() {
    if (m_done)
        QDialog::reject();
}
