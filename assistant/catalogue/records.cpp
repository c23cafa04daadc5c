#include "records.h"

#include <QRegularExpression>

void registerRecordMetaTypes() {
    qRegisterMetaType<TaviUserPtr>("TaviUserPtr");
    qRegisterMetaType<_TaviApp*>("TaviApp*");
    qRegisterMetaType<TaviPack*>("TaviPack*");
    qRegisterMetaType<_DailyScene*>("DailyScene*");
}

void dropControlCharacters(TaviUser* user) {
    static const QRegularExpression control("[\\x{0}-\\x{1f}\\x{7f}-\\x{9f}\\x{2028}\\x{2029}]");
    for (QString TaviUser::*field :
         {&TaviUser::uid, &TaviUser::name, &TaviUser::screenName, &TaviUser::provinceName,
          &TaviUser::cityName, &TaviUser::schoolName, &TaviUser::birthday, &TaviUser::otherSchool,
          &TaviUser::avatar, &TaviUser::email, &TaviUser::qq, &TaviUser::mobile}) {
        (user->*field).remove(control);
    }
}
