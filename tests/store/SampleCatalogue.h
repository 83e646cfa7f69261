#pragma once

#include "TempCatalogue.h"

// A small catalogue whose every row the store tests know:
//   classes 1 "MTV精选", 3 "游戏世界"
//   columns 11 "流行金曲" (class 1), 12 "Rock'n'Roll" (class 1),
//           13 "冷门" (class 1, not subscribed), 31 "益智游戏" (class 3),
//           32 "动作" (class 3)
//   items   3101..3125 in column 31, uploaded 2003-01-01 .. 2003-01-25 in
//           order, hits equal to the last two digits; 3105 viewed, 3107
//           downloaded, 3110 deleted;
//           3201..3203 in column 32, uploaded 2003-02-01 .. 03;
//           1101, 1102 in column 11; 1201 "Don't Stop" in column 12;
//           1301 in column 13
//   recommendations 1..25 in "精彩网站" (every fifth a favourite),
//           26 and 27 in "Kid's Corner"
inline void fillSampleCatalogue(TempCatalogue &c)
{
    c.addClass(1, QStringLiteral("MTV精选"));
    c.addClass(3, QStringLiteral("游戏世界"));
    c.addColumn(11, 1, QStringLiteral("流行金曲"));
    c.addColumn(12, 1, QStringLiteral("Rock'n'Roll"));
    c.addColumn(13, 1, QStringLiteral("冷门"), false);
    c.addColumn(31, 3, QStringLiteral("益智游戏"));
    c.addColumn(32, 3, QStringLiteral("动作"));
    for (int i = 1; i <= 25; ++i) {
        c.addItem(3100 + i, 31, QStringLiteral("拼图游戏%1").arg(i),
                  QStringLiteral("2003-01-%1 10:00:00").arg(i, 2, 10, QLatin1Char('0')), i, i == 5, i == 7, i == 10);
    }
    for (int i = 1; i <= 3; ++i)
        c.addItem(3200 + i, 32, QStringLiteral("射击%1").arg(i), QStringLiteral("2003-02-0%1 08:00:00").arg(i),
                  100 + i);
    c.addItem(1101, 11, QStringLiteral("夏天的风"), QStringLiteral("2002-05-01 12:00:00"), 50);
    c.addItem(1102, 11, QStringLiteral("月亮河"), QStringLiteral("2002-05-02 12:00:00"), 60);
    c.addItem(1201, 12, QStringLiteral("Don't Stop"), QStringLiteral("2002-06-01 12:00:00"), 70);
    c.addItem(1301, 13, QStringLiteral("冷门动画"), QStringLiteral("2002-07-01 12:00:00"), 999);
    for (int i = 1; i <= 25; ++i) {
        c.exec(QStringLiteral("INSERT INTO tb_Recommend (ItemID, Columename, Itemname, Classname, URL, Favorite)"
                              " VALUES (%1, '精彩网站', '网站%1', '网站', 'http://example.invalid/%1', %2)")
                   .arg(i)
                   .arg(i % 5 == 0 ? 1 : 0));
    }
    c.exec(QStringLiteral(
        "INSERT INTO tb_Recommend (ItemID, Columename, Itemname, Classname, Favorite)"
        " VALUES (26, 'Kid''s Corner', '儿童乐园', '网站', 0), (27, 'Kid''s Corner', '童话屋', '网站', 1)"));
}
