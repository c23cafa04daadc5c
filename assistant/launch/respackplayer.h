#pragma once
// Opens an interactive book or courseware item: unpacks the resource archive
// beside itself (once), finds the book folder and runs the engine on it, all on
// a thread of its own so the window stays responsive.

#include <QString>
#include <QThread>

class ResPackPlayer : public QThread {
    Q_OBJECT
public:
    explicit ResPackPlayer(QObject* parent = nullptr);

    void setParams(const QString& path, int productId);

    static void openResPackFile(const QString& path, int productId);
    // The folder holding "tavigame.dat" below root (outermost wins, the last of
    // siblings wins); false when root does not exist.
    static bool findBookFolder(const QString& root, QString& folder);
    // Starts the engine on the book folder and waits for it to end.
    static void runApp(const QString& folder);

protected:
    void run() override;

private:
    QString m_path;
    int m_productId = 0;
};
