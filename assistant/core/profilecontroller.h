#pragma once
// The profile page's work, without widgets: the region lists it offers, the
// check of a typed profile, sending it to the service on Core's worker thread
// (or saying that it goes through the registration code when offline), and
// asking the service for the user again. The page shows what this reports.

#include "catalogue/records.h"
#include "core/clientcontext.h"
#include "online/netrecords.h"

#include <QObject>

class CacheWorker;
class RefreshUserInfoWorker;
class UpdateUserInfoWorker;

class ProfileController : public QObject {
    Q_OBJECT
public:
    // The first thing a typed profile lacks, in the order the page asks for it.
    enum Check { Complete, NoName, NoQq, NoSchoolName, NoMobile };

    explicit ProfileController(const ClientContext& context, QObject* parent = nullptr);
    ~ProfileController() override;

    static Check check(const TaviUser& typed);

    // The provinces, and the cities of one province, from the region cache.
    DataSet<_ProvCityInfo> provinces() const;
    DataSet<_ProvCityInfo> cities(int provinceId) const;
    // The schools of a city the cache holds (at once, no request).
    SchoolList cachedSchools(int cityId) const;
    // Asks the service for a city's schools on the worker thread:
    // schoolsArrived() follows with the service's list (kept in the cache)
    // or the cached one. A later request supersedes an earlier one, whose
    // answer is dropped. False when nothing was asked (no service client).
    bool requestSchools(int cityId);

    // The service can be reached from here (else the registration code).
    bool online() const;
    // The profile as typed, for the account of this device.
    TaviUserPtr typedProfile(const TaviUser& fields) const;
    // Sends the profile on the worker thread; submitted() reports the service's answer.
    void submit(TaviUserPtr user);
    // Asks the service for the user again (online only); Core announces the
    // new copy with userLoaded().
    void refresh();

    // A registration typed but not yet confirmed by the service (it went
    // through the registration code, or the service could not be reached)
    // is kept in the data folder, so a restart does not lose it.
    void keepDraft(const TaviUser& typed);
    // The kept registration; null when there is none.
    TaviUserPtr draft() const;
    // The service has the profile: the draft goes.
    void dropDraft();

signals:
    // r: the service client's result code; user: what was sent.
    void submitted(int r, TaviUserPtr user);
    void schoolsArrived(int cityId, SchoolList schools);

private:
    ClientContext m_context;
    TaviUserPtr m_sending;
    UpdateUserInfoWorker* m_updateWorker = nullptr;
    RefreshUserInfoWorker* m_refreshWorker = nullptr;
    CacheWorker* m_cacheWorker = nullptr;
    QObject* m_schoolFetcher = nullptr;
    int m_schoolsAsked = 0;
};
