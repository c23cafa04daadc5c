#include "deviceid.h"

#include <QNetworkInterface>

QString selectDeviceId(const QVector<AdapterRecord>& adapters) {
    const AdapterRecord* chosen = nullptr;
    const AdapterRecord* wireless = nullptr;
    for (const AdapterRecord& a : adapters) {
        if (a.type == AdapterRecord::Ethernet && !a.address.isEmpty() &&
            !a.description.contains("Remote NDIS based Internet Sharing Device") &&
            !a.description.contains("Bluetooth")) {
            chosen = &a;
            break;
        }
        if (!wireless && a.type == AdapterRecord::Ieee80211 && !a.address.isEmpty())
            wireless = &a;
    }
    if (!chosen)
        chosen = wireless;
    if (!chosen)
        return QString();
    QStringList bytes;
    for (unsigned char b : chosen->address)
        bytes << QString("%1").arg(b, 2, 16, QChar('0')).toUpper();
    return bytes.join(':');
}

QVector<AdapterRecord> systemAdapters() {
    QVector<AdapterRecord> result;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& ni : interfaces) {
        if (ni.flags().testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const QString hw = ni.hardwareAddress();
        if (hw.isEmpty())
            continue;
        AdapterRecord rec;
        rec.description = ni.humanReadableName() == ni.name() ? ni.name()
                                                               : ni.name() + " " + ni.humanReadableName();
        switch (ni.type()) {
        case QNetworkInterface::Ethernet:
            rec.type = AdapterRecord::Ethernet;
            break;
        case QNetworkInterface::Ieee80211:
            rec.type = AdapterRecord::Ieee80211;
            break;
        default:
            rec.type = AdapterRecord::Other;
            break;
        }
        rec.address = QByteArray::fromHex(hw.toLatin1().replace(':', ""));
        if (rec.address.isEmpty() || rec.address.count('\0') == rec.address.size())
            continue; // all-zero addresses identify nothing
        result << rec;
    }
    return result;
}

int getDeviceId(QString& id) {
    id = selectDeviceId(systemAdapters());
    return 0;
}
