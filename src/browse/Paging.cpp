#include "browse/Paging.h"

namespace browse {

Paging applyPageCommand(int currentPage, int command, int count)
{
    Paging p;
    p.pages = count / kPageSize + (count % kPageSize > 0 ? 1 : 0);
    int page = currentPage;
    switch (command) {
    case FirstPage:
        page = 1;
        break;
    case NextPage:
        page += 1;
        break;
    case PriorPage:
        page -= 1;
        break;
    case LastPage:
        page = p.pages;
        break;
    default:
        break;
    }
    int offset = (page - 1) * kPageSize;
    if (count <= 0) {
        // Nothing to show, whatever the command: page 0 of 0.
        offset = 0;
        page = 0;
    } else if (offset < 0) {
        offset = 0;
        page = 1;
    } else if (offset >= count) {
        // Past the end: the last page.
        offset = (p.pages - 1) * kPageSize;
        page = p.pages;
    }
    p.page = page;
    p.offset = offset;
    p.firstEnabled = p.priorEnabled = page > 1;
    p.nextEnabled = p.lastEnabled = page < p.pages;
    p.label = QStringLiteral("%1/%2页").arg(page).arg(p.pages);
    return p;
}

} // namespace browse
