#include "cacheworker.h"

#include "netclient.h"
#include "offlinedb.h"
#include "platform/log.h"

#include <QDebug>

CacheWorker::CacheWorker(NetClient* net, OfflineDB* cache, QObject* parent)
    : QObject(parent), m_net(net), m_cache(cache) {
    connect(this, &CacheWorker::run, this, &CacheWorker::doWork);
}

void CacheWorker::doWork() {
    emit started();
    if (!m_net || !m_cache) {
        qDebug() << "CacheWorker::doWork done";
        emit done(0);
        return;
    }
    // One transaction: the lists never show a half-rebuilt cache, and tens of
    // thousands of rows are not as many commits.
    const bool batch = m_cache->beginBatch();
    DataSet<_ProvCityInfo> provinces;
    const int r = m_net->getProvCity(0, &provinces);
    qDebug() << "provs:" << provinces.size();
    // Without the provinces there is nothing to rebuild from: clearing now
    // would leave the page without any province until the next rebuild.
    if (provinces.isEmpty()) {
        if (batch)
            m_cache->cancelBatch();
        TLOG_ERROR("no provinces from the service (" << r << "), the cache stays as it was");
        emit done(r);
        return;
    }
    m_cache->clearSchool();
    m_cache->clearProvinceCity();
    for (const auto& province : provinces) {
        province->parentId = 0;
        qDebug() << "prov id:" << province->id << " name:" << province->name;
        if (province->id == -1)
            continue;
        m_cache->addProvinceCity(province.data());
        DataSet<_ProvCityInfo> cities;
        m_net->getProvCity(province->id, &cities);
        for (const auto& city : cities) {
            city->parentId = province->id;
            if (city->id == -1)
                continue;
            m_cache->addProvinceCity(city.data());
            DataSet<_SchoolInfo> schools;
            m_net->getSchools(city->id, &schools);
            for (const auto& school : schools) {
                school->cityId = city->id;
                // The service's entries -1 and 184 are never kept.
                if (school->id == -1 || school->id == 184)
                    continue;
                qDebug() << "school id:" << school->id << " name:" << school->name;
                m_cache->addSchool(school.data());
            }
        }
    }
    if (batch)
        m_cache->endBatch();
    qDebug() << "CacheWorker::doWork done";
    emit done(0);
}
