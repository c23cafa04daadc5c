#include "fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <QStringList>

void registerFontSubstitutions() {
    const QStringList candidates = {"WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "Noto Sans CJK SC",
                                    "Droid Sans Fallback"};
    const QStringList installed = QFontDatabase().families();
    QStringList present;
    for (const QString& c : candidates)
        if (installed.contains(c))
            present << c;
    if (present.isEmpty())
        return;
    for (const char* family : {"微软雅黑", "Microsoft YaHei", "宋体", "SimSun"})
        QFont::insertSubstitutions(QString::fromUtf8(family), present);
}
