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

// The adapters of this machine in the system's order (loopback and adapters
// without a hardware address left out).
QVector<AdapterRecord> systemAdapters();

// 0 = done (id may still be empty), 1 = no memory for the adapter list, 3 = the query failed.
int getDeviceId(QString& id);
