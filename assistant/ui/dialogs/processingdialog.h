#pragma once
// Runs one background job on a thread of its own behind a small, frameless busy
// animation. Accepted when the job returns 0; otherwise the job's error box is
// shown and the dialog is rejected.

#include "core/worker.h"

#include <QDialog>
#include <QThread>

class QLabel;
class QMovie;

class ProcessingDialog : public QDialog {
    Q_OBJECT
public:
    explicit ProcessingDialog(QSharedPointer<Worker> worker, QWidget* parent = nullptr);
    ~ProcessingDialog() override;

    // The job's result once it has reported (-1 before); result() is the dialog's own.
    int jobResult() const { return m_result; }

public slots:
    void onWorkDone(int r);

protected:
    // Escape would close the dialog while the job still runs; the job's end closes it.
    void reject() override;

private:
    QLabel* m_label = nullptr;
    QMovie* m_movie = nullptr;
    QThread m_thread;
    QSharedPointer<Worker> m_worker;
    int m_result = -1;
    bool m_done = false;
};
