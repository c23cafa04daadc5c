#pragma once
// The schools the profile page offers for one city: the service's list when
// it gives one (stored in the cache in place of that city's old schools),
// else the cached schools. The caller adds the entry "other" (number 0).

#include "netrecords.h"

class NetClient;
class OfflineDB;

// Fills offered (cleared first). Blocks the calling thread for the request,
// at most the service client's time-out. Either pointer may be null.
void fetchCitySchools(NetClient* net, OfflineDB* cache, int cityId, DataSet<_SchoolInfo>* offered);
