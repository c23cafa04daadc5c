#pragma once
// Where the service client sends its requests: a compiled-in plain-HTTP base
// address, or the one in TAVI_SERVICE_ADDRESS for tests, the demo and trials.

#include <QString>

// The service host, port 80, no trailing slash.
extern const char* const kServiceBaseAddress;

// The compiled-in base address.
QString serviceBaseAddress();

// "http://host[:port]" (one trailing '/' is dropped); an empty text for
// anything else: another scheme, a path, a query, user information.
QString parseServiceAddress(const QString& text);

// The compiled-in address, or TAVI_SERVICE_ADDRESS when set (logged at INFO).
// A malformed override is logged at ERROR and gives an empty address: no
// request goes anywhere rather than to an address nobody meant.
QString configuredServiceAddress();
