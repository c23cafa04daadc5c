#include "records.h"

void registerRecordMetaTypes() { qRegisterMetaType<TaviUserPtr>("TaviUserPtr"); }
