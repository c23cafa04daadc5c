#pragma once
// What the client update decides around its download, as pure functions:
// where the installer comes from, what it is called on disk, which redirects
// are followed, whether a release key signed the offer, and whether the file
// is the one it signed.

#include "online/netrecords.h"

#include <QString>
#include <QStringList>
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

// The public keys (base64) compiled into this client whose signature an
// update must carry.
QStringList trustedUpdateKeys();

// True when one of keys signed what the offer claims: its version, the name
// the installer is saved under, its size and its SHA-256. why says what is
// missing or wrong otherwise.
bool isSignedOffer(const _UpdateInfo& info, const QString& fileName, const QStringList& keys, QString* why);

// True when the file has the size and the SHA-256 the offer claims.
bool isOfferedFile(const QString& path, const _UpdateInfo& info, QString* why);
