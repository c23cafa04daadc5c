#pragma once
// Builds the count and select statements of the paged list queries. Filter
// values travel as bound parameters, so a quote in a name is just a character.

#include "records.h"

#include <QPair>
#include <QString>
#include <QVariant>
#include <QVector>

struct PagedQuery {
    QString countSql;
    QString selectSql;
    QVector<QPair<QString, QVariant>> binds; // apply to both statements
};

// " limit N" and " offset N" as far as they are set. An offset alone gets
// "limit -1" (no limit) so that SQLite accepts it.
QString pagingClause(unsigned limit, unsigned offset);

// With readingOrderTable, the name order comes from the search index's sort
// keys (AppSearchTbl) instead of comparing names with the "names" collation.
PagedQuery buildAppSearch(const _AppSearchPara& para, bool readingOrderTable = false);
PagedQuery buildPackSearch(const _PackSearchPara& para);
PagedQuery buildDailySceneSearch(const _DailySceneSearchPara& para);
PagedQuery buildFavorApps(const _GetFavorAppsPara& para);
PagedQuery buildCourseApps(const QString& table, const _GetCourseAppsPara& para);
