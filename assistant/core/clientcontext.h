#pragma once
// What the forms use, handed down through their constructors: the catalogue,
// the data folders, the service client, the region cache, the calendar, and
// Core for the launchers and the user's snapshot. Forms never reach for a
// global; the pointers live as long as the run (start-up owns them).

#include "catalogue/datapaths.h"

class Calendar;
class Core;
class DB;
class NetClient;
class OfflineDB;

struct ClientContext {
    Core* core = nullptr;
    DB* db = nullptr;
    const DataPaths* paths = nullptr;
    NetClient* netClient = nullptr;
    OfflineDB* offlineDb = nullptr;
    Calendar* calendar = nullptr;
};
