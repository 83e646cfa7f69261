#include "catalogue/DemoContent.h"

#include <QUrl>

#include <span>

namespace catalogue {
namespace {

// Word lists are constants, read into text only when picked.
using Words = std::span<const char16_t *const>;

QString pick(Random &random, Words list)
{
    return QString::fromUtf16(list[size_t(random.below(int(list.size())))]);
}

constexpr const char16_t *kSongA[] = {u"夏天的", u"遥远的",   u"永远的", u"最美的", u"心中的",
                                      u"寂寞的", u"快乐的",   u"蓝色的", u"回家的", u"十八岁的",
                                      u"雨中的", u"星空下的", u"小城的", u"风中的", u"那年的"};

constexpr const char16_t *kSongB[] = {u"约定", u"风景",   u"恋人", u"故乡", u"月亮", u"童话", u"旅程", u"梦想",
                                      u"花季", u"海岸线", u"秋千", u"单车", u"歌谣", u"背影", u"天空"};

constexpr const char16_t *kSongTail[] = {u"",        u"",          u"",           u" (MTV)",
                                         u" 完整版", u" - 现场版", u"【动画版】", u" ——献给所有在远方努力奋斗的朋友们"};

constexpr const char16_t *kFunnyWho[] = {u"小明",   u"大头", u"阿呆", u"胖胖",   u"老板",     u"同桌",
                                         u"外星人", u"熊猫", u"二狗", u"班主任", u"隔壁老王", u"小猫咪咪"};

constexpr const char16_t *kFunnyWhat[] = {u"的奇遇", u"的烦恼", u"的一天", u"考试记", u"相亲记",  u"减肥计划",
                                          u"去面试", u"大冒险", u"学开车", u"过生日", u"的新发明"};

constexpr const char16_t *kFunnyHead[] = {u"", u"", u"爆笑：", u"【搞笑】", u"超级搞笑之"};

constexpr const char16_t *kGameA[] = {u"疯狂", u"超级", u"极速", u"小小", u"勇敢的",
                                      u"快乐", u"神奇", u"无敌", u"迷你"};

constexpr const char16_t *kGameB[] = {u"赛车",   u"弹珠",   u"消消乐", u"拼图", u"射手", u"足球",    u"钓鱼",
                                      u"接苹果", u"打地鼠", u"推箱子", u"迷宫", u"桌球", u"坦克大战"};

constexpr const char16_t *kGameTail[] = {u"", u"", u"2", u" 加强版", u" 双人版", u"（含关卡编辑器，支持保存进度）"};

constexpr const char16_t *kSeriesTitle[] = {u"竹林小侠",   u"阿福的故事",     u"飞天小猪", u"胖墩儿日记", u"森林音乐会",
                                            u"小镇邮递员", u"青蛙王子历险记", u"月亮船",   u"水墨江南"};

constexpr const char16_t *kPoems[] = {u"静夜思",
                                      u"春晓",
                                      u"登鹳雀楼",
                                      u"望庐山瀑布",
                                      u"水调歌头·明月几时有",
                                      u"念奴娇·赤壁怀古",
                                      u"天净沙·秋思",
                                      u"再别康桥",
                                      u"相思",
                                      u"江雪",
                                      u"游子吟",
                                      u"咏鹅",
                                      u"出师表",
                                      u"桃花源记",
                                      u"岳阳楼记",
                                      u"乡愁"};

constexpr const char16_t *kPoemTail[] = {u"", u" (配乐朗诵)", u" 动画版", u"——名家朗诵，配以精美水墨画面"};

constexpr const char16_t *kFilmA[] = {u"最后的", u"回不去的", u"七月的", u"一个人的", u"城市里的",
                                      u"雨夜",   u"远方的",   u"午夜",   u"消失的"};

constexpr const char16_t *kFilmB[] = {u"列车",   u"信",   u"灯塔", u"旅行", u"星球",
                                      u"守望者", u"拥抱", u"钢琴", u"风筝", u"电话亭"};

constexpr const char16_t *kFilmTail[] = {u"", u"", u"（导演剪辑版）", u" 上集", u" 下集"};

constexpr const char16_t *kLessons[] = {u"补间动画",   u"遮罩效果",         u"按钮制作",         u"引导线动画",
                                        u"声音同步",   u"鸡兔同笼",         u"分数的秘密",       u"认识图形",
                                        u"九九乘法表", u"地球为什么是圆的", u"恐龙是怎样灭绝的", u"彩虹的秘密",
                                        u"司马光砸缸", u"郑和下西洋",       u"唱歌学字母",       u"动物的英文名字"};

constexpr const char16_t *kCardTo[] = {u"祝你", u"送给妈妈的", u"给老师的", u"亲爱的朋友", u"给远方的你", u"宝贝"};

constexpr const char16_t *kCardWish[] = {u"生日快乐", u"新年快乐", u"节日愉快", u"一路平安",
                                         u"天天开心", u"中秋团圆", u"心想事成", u"我想你了"};

constexpr const char16_t *kBrand[] = {u"蓝天牌", u"好味道", u"星光", u"小精灵", u"金太阳", u"绿叶"};

constexpr const char16_t *kProduct[] = {u"饮料", u"手机", u"洗衣粉", u"汽车", u"牙膏", u"矿泉水", u"电脑"};

constexpr const char16_t *kPublicTopic[] = {u"节约用水", u"保护环境", u"关爱老人", u"珍惜粮食", u"文明出行"};

constexpr const char16_t *kSentences[] = {u"画面精美，音乐动听。",
                                          u"作者花了三个月时间完成的作品。",
                                          u"适合全家一起观看。",
                                          u"推荐使用耳机欣赏。",
                                          u"文件较大，请耐心等待下载。",
                                          u"本作品曾获网站月度最佳动画。",
                                          u"欢迎留言提出宝贵意见！",
                                          u"第一次做 Flash，做得不好请多包涵。",
                                          u"结尾有彩蛋哦。",
                                          u"根据真实故事改编。",
                                          u"转载请注明出处。"};

constexpr const char16_t *kOwners[] = {u"小飞侠",     u"闪客阿木", u"蓝色天空", u"动画狂人",  u"老猫",     u"木头人",
                                       u"风之子",     u"笨笨熊",   u"夜行者",   u"小鱼儿",    u"阿布",     u"追梦人",
                                       u"西瓜太郎",   u"冰淇淋",   u"大眼睛",   u"路人甲",    u"青青草",   u"山里人",
                                       u"黑猫警长迷", u"月光族",   u"O'Neil",   u"pixel_boy", u"flashfan", u"一叶知秋"};

QString number(int n)
{
    return QString::number(n);
}

struct Category
{
    const char16_t *name;
    std::initializer_list<const char16_t *> kinds;
    std::initializer_list<const char16_t *> first;
    std::initializer_list<const char16_t *> second;
};
// Recommendation categories: name, kinds, and the two halves of a title.
constexpr Category kCategories[] = {
    {u"精彩网站",
     {u"网站", u"论坛", u"博客"},
     {u"闪客", u"动画", u"音乐", u"读书", u"旅游", u"摄影"},
     {u"在线", u"之家", u"天地", u"部落", u"驿站"}},
    {u"影碟",
     {u"电影", u"动画片", u"纪录片"},
     {u"星际", u"江湖", u"海上", u"北方的", u"最后一个"},
     {u"传说", u"故事", u"旅程", u"夏天", u"守护者"}},
    {u"图书",
     {u"小说", u"教材", u"漫画"},
     {u"Flash", u"动画", u"写给孩子的", u"城南", u"远方的"},
     {u"设计指南", u"入门", u"童话", u"往事", u"来信"}},
    {u"音碟",
     {u"专辑", u"精选集", u"原声带"},
     {u"春天", u"夜空", u"回声", u"城市", u"山谷"},
     {u"之歌", u"组曲", u"协奏曲", u"精选", u"现场"}},
    {u"软件",
     {u"工具", u"播放器", u"动画制作"},
     {u"闪电", u"超级", u"轻松", u"全能", u"迷你"},
     {u"播放器", u"下载助手", u"贺卡制作", u"截图工具", u"压缩包"}},
    {u"游戏",
     {u"单机", u"网络", u"休闲"},
     {u"三国", u"仙剑", u"赛车", u"围棋", u"足球"},
     {u"争霸", u"奇缘", u"狂飙", u"大师", u"经理"}},
};

} // namespace

std::uint64_t Random::next()
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int Random::below(int n)
{
    return n <= 1 ? 0 : int(next() % std::uint64_t(n));
}

const std::vector<DemoClass> &demoClasses()
{
    static const std::vector<DemoClass> classes = {
        {1, QStringLiteral("MTV精选")},    {2, QStringLiteral("捧腹大笑")},  {3, QStringLiteral("游戏世界")},
        {4, QStringLiteral("工作室专栏")}, {7, QStringLiteral("诗词欣赏")},  {8, QStringLiteral("优秀短片")},
        {9, QStringLiteral("学习空间")},   {11, QStringLiteral("贺卡多多")}, {12, QStringLiteral("精品广告")},
    };
    return classes;
}

const std::vector<DemoColumn> &demoColumns()
{
    struct Row
    {
        int classId;
        const char16_t *name;
        const char *slug;
        const char16_t *description;
        bool subscribed;
    };
    static const Row rows[] = {
        {1, u"流行金曲", "pop", u"最新最热的流行歌曲 MTV，每周更新。", true},
        {1, u"校园民谣", "campus", u"白衣飘飘的年代，吉他和青春的故事。", true},
        {1, u"经典老歌", "classic", u"那些年我们一起听过的老歌。", true},
        {1, u"Rock'n'Roll 现场", "rock", u"摇滚乐队的现场演出与原创动画。", true},
        {1, u"动漫主题曲", "anime", u"动画片主题曲的 Flash 版本。", true},
        {1, u"欧美风尚", "western", u"欧美音乐配上国内闪客的原创画面。", true},
        {2, u"爆笑短剧", "skit", u"三分钟一个笑点，保证让你笑出声。", true},
        {2, u"搞笑配音", "dub", u"给老电影配上新台词。", true},
        {2, u"冷笑话", "joke", u"笑不笑由你，反正我们讲了。", false},
        {2, u"恶搞新闻", "spoof", u"一本正经地胡说八道。", true},
        {2, u"办公室趣事", "office", u"上班族的日常，谁看谁知道。", true},
        {3, u"益智游戏", "puzzle", u"动动脑筋，越玩越聪明。", true},
        {3, u"动作射击", "action", u"考验反应速度的动作游戏。", true},
        {3, u"体育竞技", "sports", u"足球、篮球、赛车，一网打尽。", true},
        {3, u"休闲小游戏", "casual", u"工作累了就来玩两把。", true},
        {3, u"冒险解谜", "adventure", u"找到线索，走出密室。", true},
        {3, u"棋牌天地", "board", u"象棋、围棋、五子棋和扑克。", false},
        {4, u"青蛙工作室", "frog", u"青蛙工作室的原创系列动画。", true},
        {4, u"蓝鲸动画坊", "whale", u"蓝鲸动画坊出品，画风清新。", true},
        {4, u"小熊猫创作组", "panda", u"几个大学生组成的业余创作组。", true},
        {4, u"大风车工作室", "windmill", u"专做儿童动画的工作室。", true},
        {4, u"墨点工作室", "ink", u"水墨风格的实验作品。", true},
        {7, u"唐诗", "tang", u"配乐朗诵唐诗名篇。", true},
        {7, u"宋词", "song", u"婉约与豪放，宋词动画欣赏。", true},
        {7, u"元曲", "yuan", u"元代散曲与杂剧选段。", false},
        {7, u"现代诗歌", "modern", u"现代诗人的名作配乐。", true},
        {7, u"古文名篇", "prose", u"中学课本里的古文，动画讲解。", true},
        {8, u"剧情短片", "drama", u"有故事的短片，值得一看再看。", true},
        {8, u"科幻故事", "scifi", u"关于未来与星空的想象。", true},
        {8, u"温情小品", "warm", u"温暖人心的小故事。", true},
        {8, u"实验动画", "experimental", u"形式大胆的实验作品。", false},
        {8, u"音乐短片", "musicvideo", u"音乐与画面的结合。", true},
        {9, u"英语乐园", "english", u"边看动画边学英语。", true},
        {9, u"数学课堂", "math", u"把数学题变成有趣的动画。", true},
        {9, u"科普知识", "science", u"十万个为什么，动画来回答。", true},
        {9, u"历史故事", "history", u"上下五千年，一集一个故事。", true},
        {9, u"Flash教程", "tutorial", u"从入门到精通的 Flash 制作教程。", true},
        {11, u"生日祝福", "birthday", u"送给朋友的生日贺卡。", true},
        {11, u"节日问候", "festival", u"春节、中秋、端午，各种节日贺卡。", true},
        {11, u"爱情表白", "love", u"说不出口的话，让贺卡替你说。", true},
        {11, u"友情岁月", "friend", u"送给老同学、老朋友。", true},
        {11, u"新年贺岁", "newyear", u"新年新气象，贺岁贺卡大全。", true},
        {11, u"感谢卡", "thanks", u"感谢老师，感谢父母，感谢朋友。", true},
        {12, u"创意广告", "creative", u"让人眼前一亮的创意广告。", true},
        {12, u"公益广告", "public", u"保护环境，关爱他人。", true},
        {12, u"产品展示", "product", u"产品介绍动画。", false},
        {12, u"网站片头", "intro", u"各类网站的 Flash 片头。", true},
    };
    static const std::vector<DemoColumn> columns = [] {
        std::vector<DemoColumn> out;
        int id = 101;
        for (const Row &r : rows) {
            out.push_back({id++, r.classId, QString::fromUtf16(r.name), QString::fromLatin1(r.slug),
                           QString::fromUtf16(r.description), r.subscribed});
        }
        return out;
    }();
    return columns;
}

QString itemName(Random &random, const DemoColumn &column)
{
    switch (column.classId) {
    case 1:
        return pick(random, kSongA) + pick(random, kSongB) + pick(random, kSongTail);
    case 2:
        return pick(random, kFunnyHead) + pick(random, kFunnyWho) + pick(random, kFunnyWhat);
    case 3:
        return pick(random, kGameA) + pick(random, kGameB) + pick(random, kGameTail);
    case 4:
        return QStringLiteral("《%1》第%2集").arg(pick(random, kSeriesTitle), number(1 + random.below(40)));
    case 7:
        return pick(random, kPoems) + pick(random, kPoemTail);
    case 8:
        return pick(random, kFilmA) + pick(random, kFilmB) + pick(random, kFilmTail);
    case 9:
        return random.chance(40) ? QStringLiteral("%1 第%2课：%3")
                                       .arg(column.name, number(1 + random.below(30)), pick(random, kLessons))
                                 : QStringLiteral("趣味课堂：%1").arg(pick(random, kLessons));
    case 11:
        return pick(random, kCardTo) + pick(random, kCardWish);
    default:
        return random.chance(30) ? QStringLiteral("公益广告：%1").arg(pick(random, kPublicTopic))
                                 : pick(random, kBrand) + pick(random, kProduct) + QStringLiteral("广告");
    }
}

QString itemDescription(Random &random, const DemoColumn &column)
{
    const int kind = random.below(10);
    if (kind == 0)
        return QStringLiteral("");
    if (kind <= 6)
        return pick(random, kSentences);
    QStringList lines;
    lines << column.description;
    const int extra = 1 + random.below(3);
    for (int i = 0; i < extra; ++i)
        lines << pick(random, kSentences);
    return lines.join(u'\n');
}

QString ownerName(Random &random)
{
    return pick(random, kOwners);
}

std::vector<DemoRecommendation> demoRecommendations(Random &random, const QString &site)
{
    std::vector<DemoRecommendation> out;
    int id = 1;
    for (const Category &c : kCategories) {
        // The first category is longer than the newest-20 view.
        const int count = &c == &kCategories[0] ? 24 + random.below(4) : 10 + random.below(8);
        for (int i = 0; i < count; ++i, ++id) {
            DemoRecommendation r;
            r.category = QString::fromUtf16(c.name);
            r.name = pick(random, c.first) + pick(random, c.second);
            r.kind = pick(random, c.kinds);
            r.description = QStringLiteral("%1，%2").arg(
                r.name, random.chance(50) ? QStringLiteral("本站编辑强烈推荐。") : QStringLiteral("网友评分很高。"));
            r.other1 = QStringLiteral("发行：%1年").arg(1995 + random.below(8));
            r.other2 = QStringLiteral("评分：%1 星").arg(3 + random.below(3));
            r.url = site + QStringLiteral("recommend/item%1.html").arg(id);
            // Every category has a favourite or more.
            r.favorite = random.chance(15) || i == 2;
            out.push_back(r);
        }
    }
    return out;
}

std::vector<DemoAdvert> demoAdverts(const QString &site)
{
    return {
        {QStringLiteral("欢迎访问 Kelvo在线，每天都有新动画！"), site},
        {QStringLiteral("Zanto社区开张啦，快来注册吧！"), site + QStringLiteral("zc/Reg.ASP")},
        {QStringLiteral("贺卡多多：给朋友送一张 Flash 贺卡"), site + QStringLiteral("Cards/")},
    };
}

} // namespace catalogue
