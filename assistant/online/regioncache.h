#pragma once
// The region cache the client works on is its own copy in the data folder;
// the one beside the client is the copy it ships, never written. Before the
// cache opens, prepare() makes the working copy usable:
//
// - missing: copied from the shipped one (a cache an older client kept
//   beside itself, with the schools it fetched, is that copy then);
// - damaged (not a database, failing SQLite's check, without provinces):
//   made again from the shipped copy, keeping every school still readable in
//   the damaged one, which is set aside as "offline.db.damaged";
// - usable: given the provinces, cities and schools a newer shipped copy has
//   that it lacks (nothing it has is changed).
//
// Each of these says so in the log. A shipped copy that is missing or damaged
// itself leaves a usable working copy as it is, else gives an empty cache
// with the readable schools (the profile page still offers "other").

#include <QString>

namespace regioncache {

// True when working is a cache with provinces afterwards.
bool prepare(const QString& shipped, const QString& working);

} // namespace regioncache
