#include "processingdialog.h"

#include "ui/dialogs/messages.h"

#include <QLabel>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

ProcessingDialog::ProcessingDialog(QSharedPointer<Worker> worker, QWidget* parent)
    : QDialog(parent), m_worker(worker) {
    setObjectName("ProcessingDialog");
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
    if (m_worker && m_worker->reportsProgress())
        buildProgressPanel();

    if (m_worker) {
        connect(m_worker.data(), &Worker::progress, this, &ProcessingDialog::onProgress,
                Qt::QueuedConnection);
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

void ProcessingDialog::buildProgressPanel() {
    // The busy animation stays at the left; the stage, the bar and the cancel button beside it.
    setFixedSize(460, 120);
    setStyleSheet("ProcessingDialog{background:#FFFDF5; border:2px solid #128A6F;}");
    delete layout();
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 12, 16, 12);
    row->addWidget(m_label, 0, Qt::AlignTop);
    auto* column = new QVBoxLayout;
    auto* title = new QLabel(m_worker->name(), this);
    title->setStyleSheet("QLabel{color:#128A6F; font-weight:bold;}");
    m_stage = new QLabel(this);
    m_stage->setObjectName("stageLabel");
    m_stage->setStyleSheet("QLabel{color:#011B5E;}");
    m_bar = new QProgressBar(this);
    m_bar->setObjectName("progressBar");
    m_bar->setValue(0);
    m_cancelBtn = new QPushButton(tr("cancel"), this);
    m_cancelBtn->setObjectName("cancelBtn");
    m_cancelBtn->setEnabled(false);
    connect(m_cancelBtn, &QPushButton::clicked, this, &ProcessingDialog::onCancelClicked);
    auto* barRow = new QHBoxLayout;
    barRow->addWidget(m_bar, 1);
    barRow->addWidget(m_cancelBtn);
    column->addWidget(title);
    column->addWidget(m_stage);
    column->addLayout(barRow);
    row->addLayout(column, 1);
}

void ProcessingDialog::onProgress(int percent, const QString& stage, bool cancellable) {
    if (!m_bar || m_done)
        return;
    // The figure never goes back and never passes 100.
    m_bar->setValue(qBound(m_bar->value(), percent, 100));
    m_stage->setText(stage);
    m_cancelBtn->setEnabled(cancellable && !m_worker->cancelRequested());
}

void ProcessingDialog::onCancelClicked() {
    if (!m_worker || m_done)
        return;
    m_worker->requestCancel();
    m_cancelBtn->setEnabled(false);
    m_stage->setText(tr("Cancelling..."));
}

void ProcessingDialog::onWorkDone(int r) {
    m_result = r;
    m_done = true;
    m_movie->stop();
    // The job's thread has nothing more to do.
    m_thread.quit();
    if (r == 0) {
        if (m_bar)
            m_bar->setValue(100);
        accept();
        return;
    }
    if (m_showsErrorBox && !m_worker->isCancelResult(r))
        messages::fail(this, m_worker->name(), m_worker->errorString(r));
    QDialog::reject();
}

void ProcessingDialog::reject() {
    if (m_done)
        QDialog::reject();
}
