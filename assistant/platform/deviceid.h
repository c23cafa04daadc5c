#pragma once
// The device identifier: the hardware address of one network adapter, written
// as upper-case hexadecimal bytes joined by ':'.

#include <QByteArray>
#include <QString>
#include <QVector>

struct AdapterRecord {
    enum Type { Other = 1, Ethernet = 6, Ieee80211 = 71 };
    QString description;
    int type = Other;
    QByteArray address; // raw bytes; empty when the adapter has none
};

// Picks the adapter the identifier comes from and formats its address.
// Wired adapters (not tethered phones or Bluetooth) win at once; otherwise the
// first wireless adapter; otherwise the text is empty.
QString selectDeviceId(const QVector<AdapterRecord>& adapters);

// The physical network devices below `netRoot` (Linux's /sys/class/net): those
// with a device behind them and a permanent hardware address
// (addr_assign_type 0), in interface-index order. Virtual interfaces (bridges,
// tunnels, ifb, veth) have none and get new addresses at every boot, so they
// never count. The driver and the name stand for the description, in the
// words the selection knows for Bluetooth and USB tethering.
QVector<AdapterRecord> adaptersFromSysfs(const QString& netRoot);

// adaptersFromSysfs of this machine.
QVector<AdapterRecord> systemAdapters();

// 0 = done (id may still be empty), 1 = no memory for the adapter list, 3 = the query failed.
int getDeviceId(QString& id);
