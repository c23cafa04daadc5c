#include "enginepath.h"

const char* const kDefaultEnginePath = "engine/taviplay";
const char* const kSecondEnginePath = "engine2/taviplay";

QString& enginePath() {
    static QString path = kDefaultEnginePath;
    return path;
}
