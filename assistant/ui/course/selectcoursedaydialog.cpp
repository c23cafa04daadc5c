#include "selectcoursedaydialog.h"

#include "catalogue/db.h"
#include "catalogue/fortnight.h"
#include "ui/course/daybutton.h"
#include "ui/look/pictures.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QToolButton>

SelectCourseDayDialog::SelectCourseDayDialog(const ClientContext& context, const _TaviApp& app,
                                             QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint), m_db(context.db), m_app(app) {
    m_app.iconPixmap = QPixmap();
    setObjectName("SelectCourseDayDialog");
    setWindowTitle(tr("select"));
    setFixedSize(440, 256);
    setAutoFillBackground(true);
    pictures::setBackground(this, ":/images/select_course_day_background", size(), true);

    auto* close = pictures::button("closeBtn", "select_course_day_close", QSize(44, 44), this);
    connect(close, &QToolButton::clicked, this, &QDialog::accept);

    auto* weeks = new QGridLayout;
    for (int row = 0; row < 2; ++row) {
        weeks->addWidget(pictures::button("",
                                          row == 0 ? "select_course_this_week" : "select_course_next_week",
                                          QSize(32, 86), this),
                         row, 0);
    }
    auto* days = new QGridLayout;
    for (int day = kFirstDay; day <= kLastDay; ++day) {
        const int row = (day - 1) / 7, column = (day - 1) % 7;
        auto* b = new DayButton(day, this);
        b->setObjectName(QString("dayBtn%1").arg(day));
        b->setFixedSize(32, 86);
        b->setStyleSheet(QString("QToolButton{border-image:url(:/images/select_course_day%1)}"
                                 "QToolButton:checked{border-image:url(:/images/select_course_day_added)}")
                             .arg(column + 1));
        connect(b, &DayButton::dayBtnToggled, this, &SelectCourseDayDialog::onDayBtnToggled);
        days->addWidget(b, row, column);
        m_days << b;
    }

    auto* top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(close);
    top->addSpacing(2);
    auto* middle = new QHBoxLayout;
    middle->addSpacing(30);
    middle->addLayout(weeks);
    middle->addStretch();
    middle->addLayout(days);
    middle->addSpacing(60);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addStretch();
    column->addLayout(top);
    column->addLayout(middle);
    column->addSpacing(32);
    column->addStretch();

    refresh();
}

void SelectCourseDayDialog::refresh() {
    m_updating = true;
    QList<int> planned;
    if (m_db)
        m_db->getAppCourseDays(m_app.appId, planned);
    // Every button shows the catalogue: a day whose change failed goes back
    // to what is stored instead of looking done.
    for (DayButton* b : m_days)
        b->setChecked(planned.contains(b->day()));
    m_updating = false;
}

void SelectCourseDayDialog::onDayBtnToggled(int day, bool checked) {
    if (m_updating)
        return;
    if (DB* db = m_db) {
        if (checked) {
            db->addCourseApp(day, m_app.appId);
            // Planning an app also keeps it among the favourites.
            if (!m_app.favor)
                db->setFavorApp(m_app.appId, true);
        } else {
            db->removeCourseApp(day, m_app.appId);
        }
    }
    refresh();
}
