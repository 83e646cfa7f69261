#pragma once

#include <QString>

namespace browse {

inline constexpr int kPageSize = 10;

// Page commands of the list loader.
enum PageCommand { FirstPage = 1, NextPage = 2, PriorPage = 3, LastPage = 4, SamePage = 0 };

// Where a page command leads for a result of `count` rows, and what the
// paging bar shows then.
struct Paging
{
    int pages = 0;
    int page = 1;   // the new current page; 0 for an empty result
    int offset = 0; // rows to skip
    bool firstEnabled = false;
    bool priorEnabled = false;
    bool nextEnabled = false;
    bool lastEnabled = false;
    QString label; // "2/3页"
};

Paging applyPageCommand(int currentPage, int command, int count);

} // namespace browse
