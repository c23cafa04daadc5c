#pragma once
// Paints a QR code of a text with libqrencode: black modules on white from the
// top-left corner, as large as the widget's shorter side allows. A text the
// library cannot encode (too long for any symbol, empty) paints the widget red.

#include <QString>
#include <QWidget>

class QRWidget : public QWidget {
    Q_OBJECT
public:
    explicit QRWidget(QWidget* parent = nullptr);

    QString qrData() const { return m_data; }
    // Repaints with the new text.
    void setQRData(const QString& data);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_data = "Hello QR";
};
