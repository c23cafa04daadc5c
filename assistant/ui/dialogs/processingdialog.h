#pragma once
// Runs one background job on a thread of its own behind a small, frameless busy
// animation, or, for a job that tells how far it is, a progress bar with the
// stage and a cancel button. Accepted when the job returns 0; otherwise the
// job's error box is shown (unless the user cancelled it or the caller
// reports the outcome itself) and the dialog is rejected.

#include "core/worker.h"

#include <QDialog>
#include <QThread>

class QLabel;
class QMovie;
class QProgressBar;
class QPushButton;

class ProcessingDialog : public QDialog {
    Q_OBJECT
public:
    explicit ProcessingDialog(QSharedPointer<Worker> worker, QWidget* parent = nullptr);
    ~ProcessingDialog() override;

    // The job's result once it has reported (-1 before); result() is the dialog's own.
    int jobResult() const { return m_result; }
    // Leaves the error box out: the caller sums several jobs up itself.
    void setShowsErrorBox(bool shows) { m_showsErrorBox = shows; }

public slots:
    void onWorkDone(int r);
    void onProgress(int percent, const QString& stage, bool cancellable);
    void onCancelClicked();

protected:
    // Escape would close the dialog while the job still runs; the job's end closes it.
    void reject() override;

private:
    void buildProgressPanel();

    QLabel* m_label = nullptr;
    QLabel* m_stage = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancelBtn = nullptr;
    bool m_showsErrorBox = true;
    QMovie* m_movie = nullptr;
    QThread m_thread;
    QSharedPointer<Worker> m_worker;
    int m_result = -1;
    bool m_done = false;
};
