#pragma once
// "pack.sha256": the checksums a pack carries for its files, in the format
// `sha256sum` writes and `sha256sum -c` checks: a line per file of 64 hex
// digits, two blanks and the path relative to the pack root ("/" between
// folders). The pack builder writes it; the client checks a pack against it.

#include <string>
#include <utility>
#include <vector>

namespace packsums {

constexpr const char* kFileName = "pack.sha256";

// True for 64 hex digits (either case): what a SHA-256 is written as.
bool isSha256Hex(const std::string& text);

// The SHA-256 of a file's content as 64 lower-case hex digits; false when it cannot be read.
bool sha256File(const std::string& path, std::string& hex);

// One line of the file for a path and its digest.
std::string formatLine(const std::string& hex, const std::string& relativePath);

// The entries of a checksum file's text, in order. Lines that are no entry
// (blank, comments, malformed) are left out and counted in `rejected`; an
// entry whose path is absolute or climbs out of the root ("..") is rejected too.
std::vector<std::pair<std::string, std::string>> parse(const std::string& text, int* rejected = nullptr);

} // namespace packsums
