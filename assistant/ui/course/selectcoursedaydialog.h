#pragma once
// Plans one app on the days of this week and the next: fourteen day buttons,
// ticked where the app is planned. Ticking plans it (and makes it a
// favourite), unticking takes it off that day.

#include "catalogue/records.h"
#include "core/clientcontext.h"

#include <QDialog>
#include <QVector>

class DB;
class DayButton;

class SelectCourseDayDialog : public QDialog {
    Q_OBJECT
public:
    // Works on its own copy of the app.
    SelectCourseDayDialog(const ClientContext& context, const _TaviApp& app, QWidget* parent = nullptr);

public slots:
    void onDayBtnToggled(int day, bool checked);

private:
    // Shows the catalogue's days: ticked where the app is planned, and only there.
    void refresh();

    DB* m_db = nullptr;
    _TaviApp m_app;
    QVector<DayButton*> m_days;
    bool m_updating = false;
};
