// taviclient start-up: the fixed sequence from the application object to the
// event loop, and the preinstallation (setup) run.

#include "catalogue/datapaths.h"
#include "catalogue/db.h"
#include "catalogue/nameforms.h"
#include "core/core.h"
#include "core/coursecalendar.h"
#include "core/librarycheck.h"
#include "core/setupmode.h"
#include "crashreport.h"
#include "launch/enginepath.h"
#include "logsetup.h"
#include "online/calendar.h"
#include "online/netclient.h"
#include "online/offlinedb.h"
#include "online/regioncache.h"
#include "online/serviceaddress.h"
#include "online/timeserver.h"
#include "packs/fileutil.h"
#include "packs/upgrade.h"
#include "platform/deviceid.h"
#include "platform/fonts.h"
#include "platform/glprobe.h"
#include "platform/log.h"
#include "platform/quitsignals.h"
#include "platform/singleinstance.h"
#include "sharedinstall.h"
#include "ui/dialogs/messages.h"
#include "ui/frame/mainframe.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <memory>

namespace {

bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// The runs that show no window: the set-up run, help and version.
bool runsWithoutWindow(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        QByteArray a(argv[i]);
        if (a.startsWith("--"))
            a.remove(0, 1);
        if (a == "-setup" || a == "-help" || a == "-h" || a == "-?" || a == "-version" || a == "-v")
            return true;
    }
    return false;
}

// Without any display a set-up run (from an installer, a script) draws off
// screen instead of refusing to start. A normal run there would hold the
// single-instance guard with no window anyone could see or close, so it ends
// at once instead.
bool chooseDisplayFallback(int argc, char* argv[]) {
    if (hasDisplay())
        return true;
    if (!runsWithoutWindow(argc, argv)) {
        fprintf(stderr, "taviclient: no display to show the window on (neither DISPLAY nor "
                        "WAYLAND_DISPLAY is set); only --setup runs without one.\n");
        return false;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}

void installCrashReporting(const QString& version) {
    const crash::InstallInfo info = crash::programInstall("taviclient", version.toStdString());
    if (crash::install(info) != 0) {
        char message[256];
        qstrncpy(message, crash::lastErrorMessage(255).c_str(), sizeof message);
        TLOG_ERROR("crash reporting not installed: " << message);
    }
}

// First start, data-version check and upgrade; leaves the settings file saying
// which data layout the data folder holds.
void checkDataVersion(Core* core) {
    const DataPaths& paths = *core->paths();
    const QString dataIni = QString("%1/assistantdata.ini").arg(paths.dataDir);
    const QString rootIni = QString("%1/assistantdata.ini").arg(paths.rootDir);
    QString located;
    if (QFileInfo::exists(dataIni))
        located = dataIni;
    else if (QFileInfo::exists(rootIni))
        located = rootIni;

    if (upgradeInterrupted(paths)) {
        // The power went during an upgrade: its steps are taken again.
        resumeUpgrade(paths);
    } else if (located.isEmpty()) {
        TLOG_INFO("init");
        paths.makeDirs();
        if (!QFileInfo::exists(paths.mainDbPath))
            DB::create(paths.mainDbPath);
    } else {
        TLOG_INFO("check data version");
        QString lastVersion;
        {
            QSettings settings(located, QSettings::IniFormat);
            lastVersion = settings.value("data/ver").toString();
        }
        TLOG_INFO("last data ver:" << lastVersion);
        if (lastVersion == core->version())
            return;
        doUpdate(lastVersion);
    }
    QSettings settings(dataIni, QSettings::IniFormat);
    settings.setValue("data/ver", core->version());
    settings.sync();
}

int runSetup(QCommandLineParser& parser, const QCommandLineOption& packDir,
             const QCommandLineOption& dailyDir) {
    TLOG_INFO(">>setup");
    Core* core = Core::instance();
    if (parser.isSet(packDir)) {
        QString dir = parser.value(packDir);
        importPack(dir);
    }
    const QString staged = QString("%1/daily").arg(core->paths()->tempDir);
    QStringList brought = sceneFoldersOf(staged);
    copyDir(staged, core->paths()->dailyDir);
    if (parser.isSet(dailyDir)) {
        brought << sceneFoldersOf(parser.value(dailyDir));
        copyDir(parser.value(dailyDir), core->paths()->dailyDir);
    }
    refreshDailyScene(brought);
    return 0;
}

void probeOpenGL() {
    int major = 0, minor = 0, release = 0;
    const int rc = GetOpenGLVersion(major, minor, release);
    if (rc == 0) {
        TLOG_DEBUG("OpenGL version:" << major << "." << minor << "." << release);
        if (wantsSecondEngine(major, minor))
            enginePath() = kSecondEnginePath;
    } else {
        TLOG_ERROR("GetOpenGLVersion failed, rc=" << rc);
    }
}

void applyStyleSheet(QApplication& app) {
    QFile qss(":/qss/style.qss");
    QString text;
    if (qss.open(QIODevice::ReadOnly))
        text = QString::fromUtf8(qss.readAll());
    else
        qWarning("Can't open the style sheet file.");
    app.setStyleSheet(text);
}

} // namespace

int main(int argc, char* argv[]) {
    if (!chooseDisplayFallback(argc, argv))
        return 1;
    // Sizes are in logical pixels: on a board at 200 % (or 4K with the desktop
    // scaled) the window is laid out as at 1920x1080, drawn at twice the pixels.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    tavilog::useUtf8Locale();
    const QString appDir = QCoreApplication::applicationDirPath();
    // Several teachers' accounts may share this installation: then what any
    // of them makes in it stays writable for the others.
    sharedinstall::adopt(QFile::encodeName(DataPaths(appDir).dataDir).toStdString());
    // The desktop entry this window belongs to (docks show its icon and name).
    QGuiApplication::setDesktopFileName("cn.tavinet.assistant");
    QApplication::setWindowIcon(QIcon::fromTheme("cn.tavinet.assistant", QIcon(":/images/app_icon")));
    // Files named on the command line are relative to where the client was started from.
    const QDir startDir = QDir::current();
    // Relative paths ("./version.ini", "engine/...", "dumps") mean the application directory.
    QDir::setCurrent(appDir);

    tavi::setupClientLogging(appDir);
    TLOG_INFO("########## new instance ##########");

    Core* core = Core::instance();
    {
        QSettings versionFile("./version.ini", QSettings::IniFormat);
        core->setVersion(versionFile.value("product/ver").toString());
    }
    TLOG_INFO("ver:" << core->version());
    app.setApplicationVersion(core->version());

    installCrashReporting(core->version());

    // The options are read here already (parse has no side effects): pack
    // files named on the command line go to a client that runs already.
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption setupOption("setup", "data setup");
    const QCommandLineOption packDirOption("packdir", "pack dir", "packdir");
    const QCommandLineOption dailyDirOption("dailyscenedir", "daily scene dir", "dailyscenedir");
    parser.addOption(setupOption);
    parser.addOption(packDirOption);
    parser.addOption(dailyDirOption);
    parser.addPositionalArgument("files", "pack files to import", "[FILE.tvp...]");
    parser.parse(app.arguments());
    QStringList packFiles;
    if (!parser.isSet(setupOption))
        for (const QString& file : parser.positionalArguments())
            packFiles << QDir::cleanPath(startDir.absoluteFilePath(file));

    SingleInstanceHelper instance("taviclient_41F8", nullptr, packFiles);
    if (instance.isRunning()) {
        TLOG_INFO("multi instance");
        return 0;
    }

    // The same account's second start went to its running client above; a
    // client of another account on this computer holds the library's lock.
    QTranslator qtTranslator;
    QTranslator appTranslator;
    if (qtTranslator.load("qt_zh_CN.qm", appDir) ||
        qtTranslator.load("qt_zh_CN.qm", QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTranslator);
    if (appTranslator.load("taviassistant_zh_cn.qm", appDir))
        app.installTranslator(&appTranslator);
    if (!instance.lockLibrary(DataPaths(appDir).dataDir)) {
        const QString text = QCoreApplication::translate(
            "main", "The teaching-resource library is open in another account on this computer.\nClose "
                    "the client there first, then start it again.");
        std::fprintf(stderr, "taviclient: %s\n", text.toLocal8Bit().constData());
        if (!parser.isSet(setupOption))
            messages::warn(nullptr, QCoreApplication::translate("main", "TAVINET assistant"), text);
        return 1;
    }

    QString deviceId;
    getDeviceId(deviceId);
    core->setDeviceId(deviceId);
    TLOG_INFO("imei:" << deviceId);

    DataPaths paths(appDir);
    core->setPaths(&paths);

    checkDataVersion(core);

    // The calendar asks the time server now; the catalogue takes its dates
    // from it from the first open on, and makes the tables of each new
    // fortnight when the server's answer or midnight moves the date.
    const TimeServer timeServer = configuredTimeServer();
    Calendar calendar(timeServer.address, timeServer.port);
    core->setCalendar(&calendar);

    DB db(paths.mainDbPath, "default");
    core->setDb(&db);
    followCalendar(db, calendar);
    db.open();
    // Tables are created only where missing; this also repairs a catalogue file
    // that went missing since the first start.
    db.setup();

    parser.process(app);

    if (parser.isSet(setupOption)) {
        // What a power cut left behind is mended before anything is added.
        librarycheck::run(db, paths);
        const int result = runSetup(parser, packDirOption, dailyDirOption);
        core->endRun();
        return result;
    }

    TLOG_INFO(">>run");
    // A signal that arrives before the loop runs waits in the notifier until it does.
    quitOnTerminationSignals(&app, []() { QCoreApplication::quit(); });
    registerFontSubstitutions();
    QFont font = QApplication::font();
    font.setFamily(QString::fromUtf8("微软雅黑"));
    font.setPointSize(12);
    QApplication::setFont(font);

    probeOpenGL();
    applyStyleSheet(app);

    // The region cache: the client works on its copy in the data folder, made
    // from (and mended with) the one shipped beside it.
    const QString regionCache = paths.dataDir + "/offline.db";
    regioncache::prepare(appDir + "/offline.db", regionCache);
    OfflineDB offlineDb(regionCache, "offline");
    offlineDb.open();
    core->setOfflineDb(&offlineDb);

    // Half-done changes are finished or undone before anything is read; the
    // long walk through the files follows beside the window.
    librarycheck::Report checked = librarycheck::tidy(db, paths);

    TLOG_INFO("get curr user");
    core->loadUser();

    NetClient netClient(configuredServiceAddress(), core->deviceId(), core->version(), core->userRecord());
    core->setNetClient(&netClient);
    QThread workerThread;
    core->setWorkerThread(&workerThread);
    workerThread.start();

    auto mainFrame = std::make_unique<MainFrame>(core->context());
    // A second start brings this window back, also from the task bar.
    instance.setWindowActivator([frame = mainFrame.get()]() {
        frame->showOnWholeScreen();
        frame->raise();
        frame->activateWindow();
    });
    mainFrame->showOnWholeScreen();
    // Changes wait for the scan, the window does not.
    std::unique_ptr<QThread> check(QThread::create([&db, &paths, &checked]() {
        // The pinyin of new names needs ICU's transliterator, a tenth of a
        // second to make: made here, the first import does not wait for it.
        prepareReadings();
        librarycheck::scan(db, paths, checked);
    }));
    check->start();
    // Packs opened from the file manager: named on this command line, or
    // handed over by a later start while this one runs.
    QObject::connect(&instance, &SingleInstanceHelper::filesHandedOver, mainFrame.get(),
                     &MainFrame::importPackFiles);
    if (!packFiles.isEmpty())
        QTimer::singleShot(0, mainFrame.get(),
                           [frame = mainFrame.get(), packFiles]() { frame->importPackFiles(packFiles); });
    const int result = app.exec();

    // The client ends now, not when the service answers: requests in flight
    // are abandoned and the check of the library stops where it is (the
    // next start takes it up again).
    NetClient::abandonRequests();
    librarycheck::requestStop();
    mainFrame->hide();
    check->wait();
    workerThread.quit();
    workerThread.wait();
    instance.setWindowActivator({});
    mainFrame.reset();
    offlineDb.close();
    db.close();
    core->endRun();
    TLOG_INFO("<<<< exit...");
    return result;
}
