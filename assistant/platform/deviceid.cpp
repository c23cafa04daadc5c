#include "deviceid.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

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

namespace {

QByteArray readLine(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readLine(256).trimmed();
}

// The description the selection reads: Bluetooth PAN devices and phones
// tethered over USB are named as they are named elsewhere, so they are left out.
QString describe(const QString& name, const QString& driver) {
    if (name.startsWith("bnep") || driver.startsWith("btusb") || driver == "bluetooth")
        return name + " Bluetooth Device (Personal Area Network)";
    if (driver == "rndis_host")
        return name + " Remote NDIS based Internet Sharing Device";
    return driver.isEmpty() ? name : name + " " + driver;
}

} // namespace

QVector<AdapterRecord> adaptersFromSysfs(const QString& netRoot) {
    struct Found {
        int index;
        AdapterRecord record;
    };
    QVector<Found> found;
    const QDir root(netRoot);
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        const QString dir = root.filePath(name);
        if (!QFileInfo::exists(dir + "/device"))
            continue; // virtual: nothing behind it
        bool ok = false;
        if (readLine(dir + "/addr_assign_type").toInt(&ok) != 0 || !ok)
            continue; // random or stolen address: changes between boots
        if (readLine(dir + "/type") != "1")
            continue; // not an Ethernet-like device (loopback, tunnels, ...)
        AdapterRecord rec;
        rec.address = QByteArray::fromHex(readLine(dir + "/address").replace(':', ""));
        if (rec.address.isEmpty() || rec.address.count('\0') == rec.address.size())
            continue; // all-zero addresses identify nothing
        const bool wireless = QFileInfo::exists(dir + "/wireless") || QFileInfo::exists(dir + "/phy80211");
        rec.type = wireless ? AdapterRecord::Ieee80211 : AdapterRecord::Ethernet;
        const QString driver = QFileInfo(QFileInfo(dir + "/device/driver").symLinkTarget()).fileName();
        rec.description = describe(name, driver);
        found.push_back({readLine(dir + "/ifindex").toInt(), rec});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Found& a, const Found& b) { return a.index < b.index; });
    QVector<AdapterRecord> result;
    for (const Found& f : found)
        result << f.record;
    return result;
}

QVector<AdapterRecord> systemAdapters() {
    return adaptersFromSysfs("/sys/class/net");
}

int getDeviceId(QString& id) {
    id = selectDeviceId(systemAdapters());
    return 0;
}
