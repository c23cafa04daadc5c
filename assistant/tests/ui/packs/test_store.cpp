// The store dialog: what it shows, that its QR code reads as the store's
// address, and that the button opens that address (caught here, never sent).

#include "support/testsupport.h"
#include "support/xvfb.h"
#include "ui/packs/storeaddress.h"
#include "ui/packs/storedialog.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// Stands in for the web browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

// Reads QR codes in a picture with zbarimg; each decoded text on its own line.
QStringList decode(const QImage& image, const QString& name) {
    // Modules a few pixels wide on a generous white margin, as a phone camera would see them.
    QImage big(image.width() * 4 + 80, image.height() * 4 + 80, QImage::Format_RGB32);
    big.fill(Qt::white);
    QPainter p(&big);
    p.drawImage(QRect(40, 40, image.width() * 4, image.height() * 4), image);
    p.end();
    const QString path = testsupport::screenshotDir() + "/" + name;
    EXPECT_TRUE(big.save(path));
    const testsupport::ProcessResult r = testsupport::run("zbarimg", {"--raw", "-q", path});
    QStringList texts;
    for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts))
        texts << line.trimmed();
    return texts;
}

TEST(StoreDialog, ShowsItsPartsInsideTheFixedFramelessWindow) {
    StoreDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "store");
    EXPECT_EQ(dialog.size(), QSize(339, 338));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(dialog.palette().brush(QPalette::Window).texture().isNull());

    auto* visit = dialog.findChild<QToolButton*>("visitBtn");
    ASSERT_NE(visit, nullptr);
    EXPECT_EQ(visit->text(), "visit store");
    EXPECT_EQ(visit->size(), QSize(230, 60));
    EXPECT_EQ(visit->font().pointSize(), 18);
    EXPECT_EQ(visit->font().weight(), 75);

    QStringList white;
    for (QLabel* label : dialog.findChildren<QLabel*>("whiteLabel"))
        white << label->text();
    EXPECT_TRUE(white.contains("scan qr to visit store."));
    EXPECT_TRUE(white.contains(QString("visit %1").arg(kStoreAddress)));

    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        const QRect r(w->mapTo(&dialog, QPoint(0, 0)), w->size());
        EXPECT_TRUE(dialog.rect().contains(r)) << w->objectName().toStdString();
    }
    auto* qr = dialog.findChild<QLabel*>("qrLabel");
    ASSERT_NE(qr, nullptr);
    EXPECT_EQ(qr->size(), QSize(120, 120));
}

TEST(StoreDialog, QrCodeReadsAsTheStoreAddress) {
    StoreDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* qr = dialog.findChild<QLabel*>("qrLabel");
    ASSERT_NE(qr, nullptr);
    EXPECT_EQ(decode(qr->grab().toImage(), "store_qr_label.png"), QStringList{kStoreAddress});
    // And in place, with the dialog around it.
    EXPECT_EQ(decode(dialog.grab().toImage(), "store_dialog_offscreen.png"), QStringList{kStoreAddress});
}

TEST(StoreDialog, VisitOpensTheAddressEveryTimeAndStaysOpen) {
    UrlCatcher browser;
    QDesktopServices::setUrlHandler("https", &browser, "open");
    QDesktopServices::setUrlHandler("http", &browser, "open");
    {
        StoreDialog dialog;
        dialog.show();
        auto* visit = dialog.findChild<QToolButton*>("visitBtn");
        ASSERT_NE(visit, nullptr);
        QTest::mouseClick(visit, Qt::LeftButton);
        QTest::mouseClick(visit, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), 0);
    }
    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("http");
    ASSERT_EQ(browser.opened.size(), 2);
    for (const QUrl& url : browser.opened)
        EXPECT_EQ(url, QUrl(kStoreAddress));
}

TEST(StoreDialog, CloseButtonEndsTheDialogAccepted) {
    StoreDialog dialog;
    QTimer::singleShot(50, &dialog, [&] {
        auto* close = dialog.findChild<QToolButton*>("closeBtn");
        ASSERT_NE(close, nullptr);
        EXPECT_EQ(close->size(), QSize(24, 24));
        close->click();
    });
    EXPECT_EQ(dialog.exec(), int(QDialog::Accepted));
}

} // namespace

#include "test_store.moc"
