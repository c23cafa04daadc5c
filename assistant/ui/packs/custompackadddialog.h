#pragma once
// The form in which the user names a new pack and picks its files; saving hands
// the work to a CustomPackAddWorker under the processing dialog.

#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;

class CustomPackAddDialog : public QDialog {
    Q_OBJECT
public:
    explicit CustomPackAddDialog(QWidget* parent = nullptr);

    // The pack name entered when saving.
    // The chosen files, in list order (full paths).
    QStringList files() const;
    // Appends files to the list as the file dialog would.
    void addFiles(const QStringList& paths);

public slots:
    void onAddFileBtnClicked();
    void onSaveBtnClicked();

private:
    QLineEdit* m_nameEdit = nullptr;
    QListWidget* m_fileList = nullptr;
    QString m_packName;
};
