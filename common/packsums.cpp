#include "packsums.h"

#include <openssl/evp.h>

#include <cstdio>
#include <memory>
#include <sstream>

namespace packsums {

namespace {

bool plainRelative(const std::string& path) {
    if (path.empty() || path[0] == '/' || path.find('\\') != std::string::npos)
        return false;
    std::stringstream parts(path);
    std::string part;
    while (std::getline(parts, part, '/'))
        if (part.empty() || part == "." || part == "..")
            return false;
    return path.back() != '/';
}

} // namespace

bool isSha256Hex(const std::string& s) {
    if (s.size() != 64)
        return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

bool sha256File(const std::string& path, std::string& hex) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!f)
        return false;
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1)
        return false;
    std::vector<unsigned char> buffer(1 << 20);
    size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), f.get())) > 0)
        if (EVP_DigestUpdate(ctx.get(), buffer.data(), n) != 1)
            return false;
    if (std::ferror(f.get()))
        return false;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx.get(), digest, &length) != 1)
        return false;
    static const char* digits = "0123456789abcdef";
    hex.clear();
    for (unsigned int i = 0; i < length; ++i) {
        hex += digits[digest[i] >> 4];
        hex += digits[digest[i] & 15];
    }
    return true;
}

std::string formatLine(const std::string& hex, const std::string& relativePath) {
    return hex + "  " + relativePath + "\n";
}

std::vector<std::pair<std::string, std::string>> parse(const std::string& text, int* rejected) {
    std::vector<std::pair<std::string, std::string>> entries;
    int bad = 0;
    std::stringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        // "<hex>  <path>" (text mode) or "<hex> *<path>" (binary mode): the same digest either way.
        if (line.size() < 67 || line[64] != ' ' || (line[65] != ' ' && line[65] != '*') ||
            !isSha256Hex(line.substr(0, 64))) {
            ++bad;
            continue;
        }
        const std::string path = line.substr(66);
        if (!plainRelative(path)) {
            ++bad;
            continue;
        }
        std::string hex = line.substr(0, 64);
        for (char& c : hex)
            if (c >= 'A' && c <= 'F')
                c = char(c - 'A' + 'a');
        entries.emplace_back(hex, path);
    }
    if (rejected)
        *rejected = bad;
    return entries;
}

} // namespace packsums
