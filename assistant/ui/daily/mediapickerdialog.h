#pragma once
// Picks songs and videos of the library for a playlist: the catalogue's music
// and video resources by name, with their icons and a search field. The
// playlist gets their files (stored under short names, so a file dialog would
// show them unrecognisably).

#include "catalogue/records.h"
#include "core/clientcontext.h"

#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;
class QPushButton;

class MediaPickerDialog : public QDialog {
    Q_OBJECT
public:
    explicit MediaPickerDialog(const ClientContext& context, QWidget* parent = nullptr);

    // The files of the chosen resources, in the order they are listed.
    QStringList selectedFiles() const;
    // Their names, in the same order (what the playlist calls them).
    QStringList selectedTitles() const;

public slots:
    // Lists the resources whose name holds the search text.
    void refill();

private:
    ClientContext m_context;
    QLineEdit* m_search = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_addBtn = nullptr;
};
