#pragma once
// The pack tab: three picture buttons (visit the store, import pack files,
// make a pack of one's own files) above the grid of installed packs.

#include "core/clientcontext.h"

#include <QStringList>
#include <QWidget>

class PackListWidget;

class PackForm : public QWidget {
    Q_OBJECT
public:
    explicit PackForm(const ClientContext& context, QWidget* parent = nullptr);

public slots:
    void onDownloadPackClicked();
    void onImportPackClicked();
    void onMakePackClicked();
    // Imports the files one after another, each under its processing dialog;
    // several end with one summary of what happened to each.
    void importFiles(const QStringList& files);

private:
    PackListWidget* m_list = nullptr;
};
