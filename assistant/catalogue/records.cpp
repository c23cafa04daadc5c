#include "records.h"

void registerRecordMetaTypes() {
    qRegisterMetaType<TaviUserPtr>("TaviUserPtr");
    qRegisterMetaType<_TaviApp*>("TaviApp*");
    qRegisterMetaType<TaviPack*>("TaviPack*");
    qRegisterMetaType<_DailyScene*>("DailyScene*");
}
