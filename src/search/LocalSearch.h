#pragma once

#include <QString>

namespace search {

// The caption that stands for "no choice" in the class and column boxes.
inline const QString kAll = QStringLiteral("所有");

// The local search statement: items whose display name holds the keyword,
// narrowed to a class and a column unless they are "所有".
QString localSearchStatement(const QString &keyword, const QString &className, const QString &columnName);

} // namespace search
