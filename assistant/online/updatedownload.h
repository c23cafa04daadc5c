#pragma once
// What the client update decides around its download, as pure functions:
// where the installer comes from, what it is called on disk, which redirects
// are followed, and whether the file is the one the service named.

#include <QString>
#include <QUrl>

// The service base address followed directly by path. Invalid unless path
// begins with "/" and the result still names the base's own scheme, host and
// port: a path such as "@elsewhere/x" or ".elsewhere/x" would otherwise move
// the download to another host.
QUrl updateDownloadUrl(const QString& baseAddress, const QString& path);

// The last segment of the address's path, percent-decoded; empty when that is
// not a plain file name.
QString updateFileName(const QUrl& address);
// Not empty, not "." or "..", and no '/', '\\' or NUL: a name that stays in
// the folder it is put into.
bool isPlainFileName(const QString& name);

// How many redirects one download follows at most.
constexpr int kMaxUpdateRedirects = 10;
// A redirect is followed only to http or https (never to file: or another
// scheme the network access manager would also fetch).
bool isFollowableRedirect(const QUrl& target);

// True when the file's SHA-256 is hexDigest (64 hex digits, either case);
// false for an unreadable file or anything else given as digest.
bool fileMatchesSha256(const QString& path, const QString& hexDigest);
