#include "enginelogtail.h"

#include "bookfixture.h"
#include "enginelog.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#if defined(__SANITIZE_ADDRESS__)
#define BOOKTEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BOOKTEST_ASAN 1
#endif
#endif
#ifdef BOOKTEST_ASAN
#include <sanitizer/lsan_interface.h>
#endif

namespace fs = std::filesystem;

namespace booktest {

namespace {

std::string& logDir() {
    static std::string dir;
    return dir;
}

void removeLogDir() {
    std::error_code ignored;
    fs::remove_all(logDir(), ignored);
}

std::uintmax_t sizeOf(const std::string& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? 0 : size;
}

} // namespace

const std::string& EngineLogTail::file() {
    static const std::string path = [] {
        logDir() = makeTempDir("tavilog");
        std::atexit(removeLogDir);
        enginelog::setupEngineLog(logDir());
        return enginelog::logFilePath(logDir());
    }();
    return path;
}

EngineLogTail::EngineLogTail() : start_(sizeOf(file())) {}

std::string EngineLogTail::text() const {
    std::ifstream in(file(), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(start_));
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool leakCheckAvailable() {
#ifdef BOOKTEST_ASAN
    return true;
#else
    return false;
#endif
}

int leaksNow() {
#ifdef BOOKTEST_ASAN
    return __lsan_do_recoverable_leak_check();
#else
    return 0;
#endif
}

} // namespace booktest
