// The platform pieces start-up relies on: device id selection, the OpenGL
// version text, the fortnight, folder copies, crash reports and the
// connectivity test.

#include "catalogue/datapaths.h"
#include "catalogue/fortnight.h"
#include "crashreport.h"
#include "packs/fileutil.h"
#include "platform/deviceid.h"
#include "platform/glprobe.h"
#include "platform/network.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <climits>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {
AdapterRecord adapter(const char* description, int type, QByteArray address) {
    AdapterRecord a;
    a.description = description;
    a.type = type;
    a.address = address;
    return a;
}
const QByteArray kWired = QByteArray::fromHex("001a2b3c4d5e");
const QByteArray kWireless = QByteArray::fromHex("a0b1c2d3e4f5");
const QByteArray kBluetooth = QByteArray::fromHex("0c0d0e0f1011");
} // namespace

TEST(DeviceId, PicksTheRightAdapter) {
    // A plain wired adapter wins even behind a wireless one.
    EXPECT_EQ(
        selectDeviceId({adapter("Intel Wireless", 71, kWireless), adapter("Realtek PCIe GbE", 6, kWired)}),
        "00:1A:2B:3C:4D:5E");
    // Tethered phones and Bluetooth networking are not the machine's own adapters.
    EXPECT_EQ(selectDeviceId({adapter("Bluetooth Device (Personal Area Network)", 6, kBluetooth)}), "");
    EXPECT_EQ(selectDeviceId({adapter("Remote NDIS based Internet Sharing Device", 6, kWired)}), "");
    EXPECT_EQ(selectDeviceId({adapter("Bluetooth Device", 6, kBluetooth), adapter("Wi-Fi", 71, kWireless)}),
              "A0:B1:C2:D3:E4:F5");
    // The first wireless adapter is kept, and one without an address is passed over.
    EXPECT_EQ(selectDeviceId({adapter("Wi-Fi off", 71, QByteArray()), adapter("Wi-Fi 1", 71, kWireless),
                              adapter("Wi-Fi 2", 71, kWired)}),
              "A0:B1:C2:D3:E4:F5");
    EXPECT_EQ(selectDeviceId({adapter("Ethernet", 6, QByteArray()), adapter("Other", 1, kWired)}), "");
    EXPECT_EQ(selectDeviceId({}), "");

    QString id = "stale";
    EXPECT_EQ(getDeviceId(id), 0);
    EXPECT_TRUE(id.isEmpty() || QRegularExpression("^([0-9A-F]{2}:)+[0-9A-F]{2}$").match(id).hasMatch())
        << id.toStdString();
}

namespace {
// One interface of a stand-in for /sys/class/net. A physical device has a
// "device" link (to a folder whose "driver" link names the driver).
struct NetDevice {
    QString name;
    int index;
    int assignType;
    QString address;
    QString driver; // empty: a virtual interface without a device
    bool wireless = false;
    int arpType = 1;
};
void writeNet(const QString& root, const NetDevice& d) {
    const QString dir = root + "/net/" + d.name;
    writeFile(dir + "/ifindex", QByteArray::number(d.index) + "\n");
    writeFile(dir + "/addr_assign_type", QByteArray::number(d.assignType) + "\n");
    writeFile(dir + "/address", d.address.toLatin1() + "\n");
    writeFile(dir + "/type", QByteArray::number(d.arpType) + "\n");
    if (!d.driver.isEmpty()) {
        const QString device = root + "/devices/" + d.name;
        QDir().mkpath(root + "/drivers/" + d.driver);
        QDir().mkpath(device);
        QFile::link(root + "/drivers/" + d.driver, device + "/driver");
        QFile::link(device, dir + "/device");
    }
    if (d.wireless)
        QDir().mkpath(dir + "/wireless");
}
QString idFrom(const QList<NetDevice>& devices) {
    QTemporaryDir sys;
    for (const NetDevice& d : devices)
        writeNet(sys.path(), d);
    return selectDeviceId(adaptersFromSysfs(sys.path() + "/net"));
}
} // namespace

TEST(DeviceId, OnlyPhysicalDevicesWithPermanentAddressesCount) {
    const NetDevice ifb{"ifb0", 2, 1, "d6:3c:7d:7b:e7:d6", ""};
    const NetDevice eth{"eth0", 4, 0, "02:fc:00:00:00:01", "virtio_net"};
    const NetDevice veth{"veth1", 5, 3, "aa:bb:cc:dd:ee:ff", ""};
    const NetDevice docker{"docker0", 1, 0, "02:42:ac:11:00:01", ""};
    const NetDevice wifi{"wlp2s0", 3, 0, "a0:b1:c2:d3:e4:f5", "iwlwifi", true};
    // The machine this was seen on: ifb0 comes first and changes at every boot.
    EXPECT_EQ(idFrom({ifb, eth, veth, docker}), "02:FC:00:00:00:01");
    // Wired before wireless, whatever the order of the indexes.
    EXPECT_EQ(idFrom({wifi, eth}), "02:FC:00:00:00:01");
    EXPECT_EQ(idFrom({wifi, ifb}), "A0:B1:C2:D3:E4:F5");
    // Bluetooth networking and tethered phones are not the machine's.
    const NetDevice bnep{"bnep0", 1, 0, "0c:0d:0e:0f:10:11", "btusb"};
    const NetDevice rndis{"usb0", 2, 0, "12:34:56:78:9a:bc", "rndis_host"};
    EXPECT_EQ(idFrom({bnep, rndis}), "");
    EXPECT_EQ(idFrom({bnep, rndis, wifi}), "A0:B1:C2:D3:E4:F5");
    // A stolen (assign type 2) or random address and a non-Ethernet device do not count.
    EXPECT_EQ(idFrom({{"eth1", 1, 2, "de:ad:be:ef:00:01", "e1000"},
                      {"ib0", 2, 0, "80:00:00:48:fe:80", "mlx4", false, 32}}),
              "");
    // Two wired devices: the lower index wins, not the name that sorts first.
    EXPECT_EQ(idFrom({{"enp9s0", 7, 0, "00:00:00:00:00:09", "r8169"},
                      {"eth0", 3, 0, "00:00:00:00:00:03", "e1000e"}}),
              "00:00:00:00:00:03");
}

TEST(DeviceId, ThisMachinesIdComesFromAPhysicalDeviceAndStays) {
    QString first, second;
    ASSERT_EQ(getDeviceId(first), 0);
    ASSERT_EQ(getDeviceId(second), 0);
    EXPECT_EQ(first, second);
    // Read the interfaces plainly: which addresses belong to virtual ones, and
    // which physical device comes first.
    QString expected;
    int bestIndex = INT_MAX;
    QStringList virtualAddresses;
    for (const QString& name : QDir("/sys/class/net").entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        const QString dir = "/sys/class/net/" + name;
        const QString address = readFile(dir + "/address").trimmed().toUpper();
        const bool physical =
            QFileInfo::exists(dir + "/device") && readFile(dir + "/addr_assign_type").trimmed() == "0";
        if (!physical) {
            virtualAddresses << address;
            continue;
        }
        const bool wired = !QFileInfo::exists(dir + "/wireless") && !QFileInfo::exists(dir + "/phy80211");
        const int index = readFile(dir + "/ifindex").trimmed().toInt();
        if (wired && readFile(dir + "/type").trimmed() == "1" && index < bestIndex) {
            bestIndex = index;
            expected = address;
        }
    }
    EXPECT_FALSE(virtualAddresses.contains(first)) << "chose a virtual interface: " << first.toStdString();
    if (!expected.isEmpty()) {
        EXPECT_EQ(first, expected);
    }
}

TEST(OpenGl, VersionTextAndEngineChoice) {
    int major = -1, minor = -1, release = -1;
    EXPECT_TRUE(parseGlVersion("1.4.0", major, minor, release));
    EXPECT_FALSE(wantsSecondEngine(major, minor));
    EXPECT_TRUE(parseGlVersion("2.1.0 Mesa", major, minor, release));
    EXPECT_EQ(release, 0);
    EXPECT_TRUE(wantsSecondEngine(major, minor));
    EXPECT_TRUE(parseGlVersion("4.5 (Compatibility Profile) Mesa 22.3.6", major, minor, release));
    EXPECT_EQ(major, 4);
    EXPECT_EQ(minor, 5);
    EXPECT_EQ(release, 0);
    EXPECT_TRUE(parseGlVersion("1.6.2", major, minor, release));
    EXPECT_TRUE(wantsSecondEngine(major, minor));
    EXPECT_FALSE(parseGlVersion("OpenGL ES", major, minor, release));
    EXPECT_FALSE(parseGlVersion(nullptr, major, minor, release));
}

TEST(Fortnight, MondayToSundayOfTwoWeeks) {
    const QDate sunday(2016, 3, 6);
    EXPECT_EQ(fortnightDate(sunday, 1), QDate(2016, 2, 29));
    EXPECT_EQ(fortnightDate(sunday, 14), QDate(2016, 3, 13));
    const QDate monday(2016, 2, 29);
    EXPECT_EQ(fortnightDate(monday, 1), monday);
    EXPECT_FALSE(fortnightDate(monday, 0).isValid());
    EXPECT_FALSE(fortnightDate(monday, 15).isValid());
}

TEST(Files, CopyDirNeverOverwritesAndKeepsHiddenFiles) {
    QTemporaryDir dir;
    const QString src = dir.path() + "/src", dst = dir.path() + "/dst";
    writeFile(src + "/a.mp3", "new");
    writeFile(src + "/.hidden", "h");
    writeFile(src + "/sub/deep/b.wav", "b");
    writeFile(dst + "/a.mp3", "old");
    ASSERT_TRUE(copyDir(src, dst));
    EXPECT_EQ(readFile(dst + "/a.mp3"), "old");
    EXPECT_EQ(readFile(dst + "/.hidden"), "h");
    EXPECT_EQ(readFile(dst + "/sub/deep/b.wav"), "b");
    EXPECT_FALSE(copyDir(dir.path() + "/missing", dst));
    EXPECT_FALSE(copyDir(src, dir.path() + "/no/parent/here"));
}

TEST(Files, DataFolderGuardSeesThroughDotsAndLinks) {
    QTemporaryDir dir;
    DataPaths paths(dir.path() + "/bin");
    ASSERT_TRUE(paths.makeDirs());
    EXPECT_TRUE(paths.isInsideDataFolders(paths.appsDir + "/x/y.tvp"));
    EXPECT_TRUE(paths.isInsideDataFolders(paths.tempDir + "/pack/new"));
    EXPECT_FALSE(paths.isInsideDataFolders(paths.appsDir + "/../../bin/taviclient"));
    EXPECT_FALSE(paths.isInsideDataFolders("/etc/passwd"));
    EXPECT_FALSE(paths.isInsideDataFolders(""));
    ASSERT_TRUE(QFile::link(dir.path(), paths.appsDir + "/escape"));
    EXPECT_FALSE(paths.isInsideDataFolders(paths.appsDir + "/escape/outside.txt"));
}

TEST(CrashReport, AFatalSignalLeavesAReportWithABacktrace) {
    QTemporaryDir dir;
    const QString folder = dir.path() + "/dumps";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        crash::InstallInfo info;
        info.appName = "taviclient";
        info.appVersion = "9.9.9";
        info.flags = 0x409FFF;
        info.reportFolder = folder.toStdString();
        info.restartCmdLine = "/restart";
        if (crash::install(info) != 0)
            ::_exit(3);
        ::raise(SIGSEGV);
        ::_exit(4);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    const QStringList reports = QDir(folder).entryList(QDir::Files);
    ASSERT_EQ(reports.size(), 1);
    const QString report = readFile(folder + "/" + reports.first());
    EXPECT_TRUE(report.contains("application: taviclient"));
    EXPECT_TRUE(report.contains("version: 9.9.9"));
    EXPECT_TRUE(report.contains("flags: 0x409FFF"));
    EXPECT_TRUE(report.contains("signal: SIGSEGV"));
    EXPECT_TRUE(report.contains("backtrace:\n"));

    // A report folder that cannot be made is reported, not ignored.
    writeFile(dir.path() + "/blocked", "a file where the folder should be");
    crash::InstallInfo bad;
    bad.appName = "taviclient";
    bad.reportFolder = (dir.path() + "/blocked").toStdString();
    EXPECT_NE(crash::install(bad), 0);
    EXPECT_FALSE(crash::lastErrorMessage().empty());
    EXPECT_LE(crash::lastErrorMessage(10).size(), 10u);
}

TEST(Network, TheConnectivityTestFollowsTheInterfacesAndCanBeForced) {
    // What iproute2 sees: an interface that is up with its carrier (LOWER_UP),
    // not loopback, holding at least one address.
    const testsupport::ProcessResult links = testsupport::run("ip", {"-o", "link", "show"});
    ASSERT_EQ(links.exitCode, 0) << links.err.toStdString();
    bool expected = false;
    for (const QString& line : links.out.split('\n', Qt::SkipEmptyParts)) {
        const QString name = line.section(':', 1, 1).trimmed().section('@', 0, 0);
        const QString flags = line.section('<', 1).section('>', 0, 0);
        const QStringList f = flags.split(',');
        if (f.contains("LOOPBACK") || !f.contains("UP") || !f.contains("LOWER_UP"))
            continue;
        const testsupport::ProcessResult addr = testsupport::run("ip", {"-o", "addr", "show", "dev", name});
        if (!addr.out.trimmed().isEmpty())
            expected = true;
    }
    EXPECT_EQ(isNetworkConnected(), expected) << links.out.toStdString();

    forceNetworkState(NetworkState::Disconnected);
    EXPECT_FALSE(isNetworkConnected());
    forceNetworkState(NetworkState::Connected);
    EXPECT_TRUE(isNetworkConnected());
    forceNetworkState(NetworkState::Unforced);
    EXPECT_EQ(isNetworkConnected(), expected);
}
