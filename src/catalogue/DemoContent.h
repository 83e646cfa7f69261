#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace catalogue {

// A small deterministic generator (SplitMix64), the same on every platform.
class Random final
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next();
    int below(int n); // 0 .. n-1
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> const T &pick(const std::vector<T> &list) { return list.at(size_t(below(int(list.size())))); }

private:
    std::uint64_t m_state;
};

struct DemoColumn
{
    int id;
    int classId;
    QString name;
    QString slug; // ASCII stem of its file names
    QString description;
    bool subscribed;
};

struct DemoClass
{
    int id;
    QString name;
};

struct DemoRecommendation
{
    QString category;
    QString name;
    QString kind;
    QString description;
    QString other1;
    QString other2;
    QString url;
    bool favorite;
};

const std::vector<DemoClass> &demoClasses();
const std::vector<DemoColumn> &demoColumns();

// A display name for an item of a column.
QString itemName(Random &random, const DemoColumn &column);
// A description: one line, several lines, or empty.
QString itemDescription(Random &random, const DemoColumn &column);
QString ownerName(Random &random);

std::vector<DemoRecommendation> demoRecommendations(Random &random, const QString &site);

struct DemoAdvert
{
    QString text;
    QString url;
};
std::vector<DemoAdvert> demoAdverts(const QString &site);

} // namespace catalogue
