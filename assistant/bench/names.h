#pragma once
// Names as a kindergarten library has them: two to eight Chinese characters,
// [adjective] subject [activity] [kind] [第N首/集/课], the same for a seed.

#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace benchnames {

inline QStringList words(const char* text) {
    return QString::fromUtf8(text).split(' ');
}

inline QString resourceName(QRandomGenerator& rng) {
    static const QStringList adjectives =
        words("快乐的 勇敢的 可爱的 聪明的 大大的 小小的 红色的 彩色的 好玩的 神奇的 "
              "美丽的 胖胖的");
    static const QStringList subjects = words(
        "小熊 小兔 小猫 小狗 熊猫 小黑猫 大象 猴子 老虎 狮子 长颈鹿 小鸭子 青蛙 蝴蝶 小鱼 乌龟 小猪 小鸡 "
        "狐狸 "
        "松鼠 小老鼠 刺猬 企鹅 袋鼠 妈妈 爸爸 奶奶 爷爷 老师 朋友 宝宝 小朋友 月亮 太阳 星星 彩虹 雨伞 苹果 "
        "西瓜 "
        "汽车 火车 飞机 气球 蛋糕 积木 花园 森林 大海 雪花 春天 夏天 秋天 冬天 小蝌蚪 小蜜蜂 萤火虫 白雪公主 "
        "三只小猪");
    static const QStringList activities =
        words("唱歌 跳舞 洗手 刷牙 睡觉 吃饭 上学 过马路 找朋友 去旅行 过生日 捉迷藏 "
              "种花 画画 拍手 数一数 找妈妈 回家 搬家 看病 过河 钓鱼 爬山 做客");
    static const QStringList kinds = words("儿歌 故事 绘本 游戏 动画 律动 手指操 童谣 课件 音乐 舞蹈 手工");
    static const QStringList counted = words("首 集 课");
    for (;;) {
        QString name;
        auto pick = [&](const QStringList& list) { return list[int(rng.bounded(list.size()))]; };
        if (rng.bounded(100) < 25)
            name += pick(adjectives);
        name += pick(subjects);
        if (rng.bounded(100) < 40)
            name += pick(activities);
        if (rng.bounded(100) < 50)
            name += pick(kinds);
        if (rng.bounded(100) < 30)
            name += QString::fromUtf8("第%1").arg(1 + rng.bounded(30)) + pick(counted);
        if (name.size() >= 2 && name.size() <= 8)
            return name;
    }
}

} // namespace benchnames
