#include "enginelogtail.h"

#include "bookfixture.h"
#include "enginelog.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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

namespace {

bool allDigits(const std::string& text) {
    if (text.empty())
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool parseLine(const std::string& text, LogLine* out) {
    static const std::string date = "0000/00/00 00:00:00.000";
    if (text.size() < date.size() + 1 || text[date.size()] != ' ')
        return false;
    for (std::size_t i = 0; i < date.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (date[i] == '0' ? !digit : text[i] != date[i])
            return false;
    }
    const std::size_t dash = text.find(" - ", date.size() + 1);
    const std::size_t open = text.rfind(" (");
    if (dash == std::string::npos || open == std::string::npos || open < dash || text.back() != ')')
        return false;
    std::string level = text.substr(date.size() + 1, dash - date.size() - 1);
    if (level.size() < 5)
        return false;
    while (!level.empty() && level.back() == ' ')
        level.pop_back();
    const std::string location = text.substr(open + 2, text.size() - open - 3);
    const std::size_t colon = location.rfind(':');
    if (colon == std::string::npos || !allDigits(location.substr(colon + 1)))
        return false;
    out->level = level;
    out->message = text.substr(dash + 3, open - dash - 3);
    out->file = location.substr(0, colon);
    out->line = std::stoi(location.substr(colon + 1));
    return true;
}

} // namespace

std::vector<LogLine> logLines(const std::string& text) {
    std::vector<LogLine> lines;
    std::istringstream in(text);
    std::string line;
    LogLine parsed;
    while (std::getline(in, line))
        if (parseLine(line, &parsed))
            lines.push_back(parsed);
    return lines;
}

std::vector<std::string> parserErrors(const std::string& text) {
    static const std::string prefix = "ERR:sparse.cpp ";
    std::vector<std::string> errors;
    for (const LogLine& line : logLines(text)) {
        if (line.level != "ERROR" || !endsWith(line.file, "sparse.cpp") || line.message.rfind(prefix, 0) != 0)
            continue;
        const std::size_t space = line.message.find(' ', prefix.size());
        if (space == std::string::npos ||
            !allDigits(line.message.substr(prefix.size(), space - prefix.size())))
            continue;
        errors.push_back(line.message.substr(space + 1));
    }
    return errors;
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
