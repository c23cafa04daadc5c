#pragma once
// An installation that several accounts of one group share (a classroom PC
// where each teacher logs in): its writable folders carry the set-group-ID
// bit, so what is made there belongs to that group. The programs then make
// everything group-writable too, so that one teacher can change and remove
// what another made, and the logs keep working for all.

#include <string>

namespace sharedinstall {

// When folder exists and carries the set-group-ID bit, lets the group write
// whatever this process makes from now on (the umask keeps only its bits for
// others) and remembers the folder's group. True when it did.
bool adopt(const std::string& folder);

// True after adopt() found a shared folder.
bool isShared();

// Tools that set their own modes (an unpacker restores the archive's) leave
// files only their owner may change: gives path and everything below it to
// the shared group, group-readable and writable (folders also searchable and
// set-group-ID). Symbolic links are left alone. Does nothing unless shared;
// false when some entry could not be changed.
bool shareTree(const std::string& path);

} // namespace sharedinstall
