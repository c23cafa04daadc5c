#pragma once
// Reading the service's replies into the client's records. Pure functions of
// the reply bytes, so they are tested and fuzzed without a network. A reply
// that is not JSON, or JSON of the wrong kind (an array where an object
// belongs, or the reverse), is NET_PARSE_FAILED and changes nothing.

#include "netrecords.h"

#include <QByteArray>
#include <QJsonDocument>

// Parses the reply; false (logged) when it is not JSON, empty or null.
bool parse(QByteArray* reply, QJsonDocument* doc);

// "/user_login": numbers read as numbers. The status check comes first; the
// user changes only on NET_OK, and only in the members the reply holds.
int readLoginReply(const QByteArray& reply, TaviUser* user);
// "/query_userInfo": every value read as a string, the school under "kindergarten".
int readRefreshReply(const QByteArray& reply, TaviUser* user);
// "/up_userinfo": only the status is read.
int readUpdateUserReply(const QByteArray& reply);
// "/get_pc" and "/get_nurseries": arrays, appended in order (result not cleared).
int readProvCityReply(const QByteArray& reply, DataSet<_ProvCityInfo>* result);
int readSchoolReply(const QByteArray& reply, DataSet<_SchoolInfo>* result);
// "/terminal_upgrade": NET_EMPTY_REPLY for an object without members; "sha256",
// which the service may add, is kept beside the seven named fields.
int readCheckUpdateReply(const QByteArray& reply, _UpdateInfo* info);
