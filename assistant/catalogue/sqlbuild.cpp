#include "sqlbuild.h"

QString pagingClause(unsigned limit, unsigned offset) {
    QString s;
    if (limit != 0)
        s += " limit " + QString::number(limit);
    else if (offset != 0)
        s += " limit -1";
    if (offset != 0)
        s += " offset " + QString::number(offset);
    return s;
}

namespace {
QString ordering(int orderBy, int desc, const char* zero, const char* one) {
    QString s;
    if (orderBy == 0)
        s = zero;
    else if (orderBy == 1)
        s = one;
    else
        return s;
    return s + (desc ? " desc" : " asc");
}

// What the user typed is matched as typed: "%" and "_" are no wildcards of
// theirs (a search for "100%" would otherwise list everything).
QString likeValue(const QString& text) {
    QString escaped = text;
    escaped.replace('\\', "\\\\").replace('%', "\\%").replace('_', "\\_");
    return "%" + escaped + "%";
}

// Rows whose name contains name (all rows without one), in both statements.
void filterByName(PagedQuery& q, const QString& name) {
    if (name.isEmpty())
        return;
    q.countSql += " where name like :name escape '\\'";
    q.selectSql += " where name like :name escape '\\'";
    q.binds.append({":name", likeValue(name)});
}

} // namespace

PagedQuery buildAppSearch(const _AppSearchPara& para, bool readingOrderTable) {
    PagedQuery q;
    // The sort keys sit beside AppTbl; a row without one (none should be
    // missing) still lists, first.
    const bool joined = readingOrderTable && para.orderBy == 1;
    const QString a = joined ? "a." : "";
    q.countSql = "select count(*) from AppTbl";
    q.selectSql = joined ? "select a.* from AppTbl a left join AppSearchTbl s on s.appId = a.appId"
                         : "select * from AppTbl";
    QStringList conditions;
    if (!para.proType.isEmpty()) {
        conditions << "proType=:proType";
        q.binds.append({":proType", para.proType});
    }
    if (!para.packId.isEmpty()) {
        conditions << "packId=:packId";
        q.binds.append({":packId", para.packId});
    }
    if (!para.name.isEmpty()) {
        conditions << "name like :name escape '\\'";
        q.binds.append({":name", likeValue(para.name)});
    }
    if (!conditions.isEmpty()) {
        q.countSql += " where " + conditions.join(" and ");
        q.selectSql += " where " + a + conditions.join(" and " + a);
    }
    if (joined)
        q.selectSql +=
            para.desc ? " order by s.sortKey desc, a.appId desc" : " order by s.sortKey asc, a.appId asc";
    else
        q.selectSql +=
            ordering(para.orderBy, para.desc, " order by accessDate", " order by name collate names");
    q.selectSql += pagingClause(para.limit, para.offset);
    return q;
}

PagedQuery buildPackSearch(const _PackSearchPara& para) {
    PagedQuery q;
    q.countSql = "select count(*) from PackTbl";
    q.selectSql = "select * from PackTbl";
    filterByName(q, para.name);
    q.selectSql += ordering(para.orderBy, para.desc, " order by name collate names", " order by installDate");
    // Packs imported within one second share their time stamp: the row id
    // (a replaced pack gets a new one) keeps their order stable, in the same direction.
    if (para.orderBy == 1)
        q.selectSql += para.desc ? ", rowid desc" : ", rowid asc";
    q.selectSql += pagingClause(para.limit, para.offset);
    return q;
}

PagedQuery buildDailySceneSearch(const _DailySceneSearchPara& para) {
    PagedQuery q;
    q.countSql = "select count(*) from DailySceneTbl";
    q.selectSql = "select * from DailySceneTbl";
    filterByName(q, para.name);
    q.selectSql += pagingClause(para.limit, para.offset);
    return q;
}

PagedQuery buildFavorApps(const _GetFavorAppsPara& para) {
    PagedQuery q;
    q.countSql = "select count(*) from AppTbl where favor = 1";
    q.selectSql = "select * from AppTbl where favor = 1 order by favorDate desc" +
                  pagingClause(para.limit, para.offset);
    return q;
}

PagedQuery buildCourseApps(const QString& table, const _GetCourseAppsPara& para) {
    PagedQuery q;
    q.countSql = QString("select count(*) from %1").arg(table);
    q.selectSql = QString("select b.* from %1 a left join AppTbl b on a.appId = b.appId").arg(table) +
                  pagingClause(para.limit, para.offset);
    return q;
}
