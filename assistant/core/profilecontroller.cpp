#include "profilecontroller.h"

#include "core/core.h"
#include "core/refreshuserinfoworker.h"
#include "core/updateuserinfoworker.h"
#include "online/cacheworker.h"
#include "online/offlinedb.h"
#include "online/schoollist.h"
#include "platform/log.h"
#include "platform/network.h"

#include <QDebug>
#include <QFile>
#include <QSettings>
#include <QThread>

namespace {

QString draftPath(const ClientContext& context) {
    return context.paths ? context.paths->dataDir + "/profiledraft.ini" : QString();
}

struct DraftText {
    const char* key;
    QString TaviUser::*field;
};
struct DraftNumber {
    const char* key;
    int TaviUser::*field;
};
const DraftText kDraftTexts[] = {{"name", &TaviUser::name},
                                 {"qq", &TaviUser::qq},
                                 {"mobile", &TaviUser::mobile},
                                 {"otherSchool", &TaviUser::otherSchool}};
const DraftNumber kDraftNumbers[] = {
    {"province", &TaviUser::province}, {"city", &TaviUser::city}, {"school", &TaviUser::school}};

// The jobs live on Core's worker thread (or here, without one).
void moveToWorkerThread(const ClientContext& context, QObject* worker) {
    if (QThread* thread = context.core ? context.core->workerThread() : nullptr)
        worker->moveToThread(thread);
}

// A job may still be running on its thread: it goes once it returns there.
void dispose(QObject* worker) {
    if (!worker)
        return;
    QThread* thread = worker->thread();
    if (thread == QThread::currentThread() || !thread || !thread->isRunning())
        delete worker;
    else
        worker->deleteLater();
}

} // namespace

namespace {

// Fetches a city's schools on the thread it lives on and answers with a
// ticket, so that only the newest request's answer is shown.
class SchoolFetcher : public QObject {
    Q_OBJECT
public:
    SchoolFetcher(NetClient* net, OfflineDB* cache) : m_net(net), m_cache(cache) {}

public slots:
    void fetch(int ticket, int cityId) {
        DataSet<_SchoolInfo> found;
        fetchCitySchools(m_net, m_cache, cityId, &found);
        SchoolList list;
        for (const auto& s : found)
            list.append(*s);
        emit fetched(ticket, cityId, list);
    }

signals:
    void fetched(int ticket, int cityId, SchoolList schools);

private:
    NetClient* m_net;
    OfflineDB* m_cache;
};

} // namespace

ProfileController::ProfileController(const ClientContext& context, QObject* parent)
    : QObject(parent), m_context(context) {
    qRegisterMetaType<SchoolList>("SchoolList");
    m_updateWorker = new UpdateUserInfoWorker;
    m_refreshWorker = new RefreshUserInfoWorker;
    m_cacheWorker = new CacheWorker(context.netClient, context.offlineDb);
    moveToWorkerThread(context, m_updateWorker);
    moveToWorkerThread(context, m_refreshWorker);
    moveToWorkerThread(context, m_cacheWorker);
    auto* fetcher = new SchoolFetcher(context.netClient, context.offlineDb);
    m_schoolFetcher = fetcher;
    moveToWorkerThread(context, fetcher);
    connect(fetcher, &SchoolFetcher::fetched, this,
            [this](int ticket, int cityId, const SchoolList& schools) {
                if (ticket != m_schoolsAsked)
                    return; // a later choice superseded it
                emit schoolsArrived(cityId, schools);
            });
    connect(m_updateWorker, &UpdateUserInfoWorker::done, this, [this](int r) {
        const TaviUserPtr sent = m_sending;
        m_sending.reset();
        emit submitted(r, sent);
    });
}

ProfileController::~ProfileController() {
    dispose(m_updateWorker);
    dispose(m_refreshWorker);
    dispose(m_cacheWorker);
    dispose(m_schoolFetcher);
}

ProfileController::Check ProfileController::check(const TaviUser& typed) {
    if (typed.name.isEmpty())
        return NoName;
    if (typed.qq.isEmpty())
        return NoQq;
    if (typed.school == 0 && typed.otherSchool.isEmpty())
        return NoSchoolName;
    if (typed.mobile.isEmpty())
        return NoMobile;
    return Complete;
}

DataSet<_ProvCityInfo> ProfileController::provinces() const {
    return cities(0);
}

DataSet<_ProvCityInfo> ProfileController::cities(int provinceId) const {
    DataSet<_ProvCityInfo> out;
    if (m_context.offlineDb)
        m_context.offlineDb->getProvinceCity(provinceId, &out);
    return out;
}

SchoolList ProfileController::cachedSchools(int cityId) const {
    DataSet<_SchoolInfo> found;
    SchoolList out;
    if (m_context.offlineDb && m_context.offlineDb->getSchools(cityId, &found))
        for (const auto& s : found)
            out.append(*s);
    return out;
}

bool ProfileController::requestSchools(int cityId) {
    // Asked whatever the connectivity test says: an answer that does not
    // come leaves the cached schools, which show meanwhile.
    if (!m_context.netClient)
        return false;
    const int ticket = ++m_schoolsAsked;
    QMetaObject::invokeMethod(m_schoolFetcher, "fetch", Qt::QueuedConnection, Q_ARG(int, ticket),
                              Q_ARG(int, cityId));
    return true;
}

bool ProfileController::online() const {
    return isNetworkConnected();
}

TaviUserPtr ProfileController::typedProfile(const TaviUser& fields) const {
    TaviUserPtr user(new TaviUser);
    user->uid = m_context.core ? m_context.core->userSnapshot().uid : QString();
    user->name = fields.name;
    user->qq = fields.qq;
    user->province = fields.province;
    user->city = fields.city;
    user->school = fields.school;
    // A real school needs no typed name: the field is not even read.
    if (user->school == 0)
        user->otherSchool = fields.otherSchool;
    user->mobile = fields.mobile;
    dropControlCharacters(user.data());
    return user;
}

void ProfileController::submit(TaviUserPtr user) {
    m_sending = user;
    emit m_updateWorker->run(user);
}

void ProfileController::refresh() {
    if (!online())
        return;
    qDebug() << "online";
    emit m_refreshWorker->run();
}

void ProfileController::keepDraft(const TaviUser& typed) {
    const QString path = draftPath(m_context);
    if (path.isEmpty())
        return;
    QSettings ini(path, QSettings::IniFormat);
    ini.setIniCodec("UTF-8");
    ini.beginGroup("draft");
    for (const DraftText& t : kDraftTexts)
        ini.setValue(t.key, typed.*t.field);
    for (const DraftNumber& n : kDraftNumbers)
        ini.setValue(n.key, typed.*n.field);
    ini.endGroup();
    ini.sync();
    if (ini.status() != QSettings::NoError)
        TLOG_ERROR("profile draft not kept: " << path << " could not be written");
}

TaviUserPtr ProfileController::draft() const {
    const QString path = draftPath(m_context);
    if (path.isEmpty() || !QFile::exists(path))
        return TaviUserPtr();
    QSettings ini(path, QSettings::IniFormat);
    ini.setIniCodec("UTF-8");
    ini.beginGroup("draft");
    TaviUserPtr user(new TaviUser);
    for (const DraftText& t : kDraftTexts)
        (*user).*t.field = ini.value(t.key).toString();
    for (const DraftNumber& n : kDraftNumbers)
        (*user).*n.field = ini.value(n.key).toInt();
    dropControlCharacters(user.data());
    return user->name.isEmpty() ? TaviUserPtr() : user;
}

void ProfileController::dropDraft() {
    const QString path = draftPath(m_context);
    if (!path.isEmpty() && QFile::exists(path) && !QFile::remove(path))
        TLOG_ERROR("profile draft " << path << " could not be removed");
}

#include "profilecontroller.moc"
