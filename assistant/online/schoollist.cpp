#include "schoollist.h"

#include "netclient.h"
#include "offlinedb.h"

void fetchCitySchools(NetClient* net, OfflineDB* cache, int cityId, DataSet<_SchoolInfo>* offered) {
    offered->clear();
    DataSet<_SchoolInfo> fetched;
    if (net)
        net->getSchools(cityId, &fetched);
    if (fetched.isEmpty()) {
        if (cache)
            cache->getSchools(cityId, offered);
        return;
    }
    // The city's schools are replaced whole: a failed write keeps the old ones.
    const bool batch = cache && cache->beginBatch();
    bool stored = true;
    if (cache)
        stored = cache->clearSchool(cityId);
    for (const auto& school : fetched) {
        // 0 is the list's own entry "other".
        if (school->id == 0)
            continue;
        school->cityId = cityId;
        if (cache)
            stored = cache->addSchool(school.data()) && stored;
        offered->append(school);
    }
    if (batch) {
        if (stored)
            cache->endBatch();
        else
            cache->cancelBatch();
    }
}
