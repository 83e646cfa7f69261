#pragma once

// The player's own menu as its page shows it, read by a script in the page:
// each entry's text and centre in the view; none while it is hidden.
#include <QMap>
#include <QPoint>
#include <QString>
#include <QVariant>
#include <QVariantList>

// The script that answers the menu's entries as [text, x, y] lists.
inline QString playerMenuScript()
{
    return QStringLiteral(
        "(()=>{const s=document.querySelector('ruffle-player').shadowRoot;"
        "if(s.getElementById('context-menu-overlay').classList.contains('hidden'))return [];"
        "return [...s.querySelectorAll('#context-menu .menu-item')].map(e=>{"
        "const r=e.getBoundingClientRect();return [e.textContent,r.x+r.width/2,r.y+r.height/2];});})()");
}

// The menu from what the script answered.
inline QMap<QString, QPoint> playerMenuFrom(const QVariant &answer)
{
    QMap<QString, QPoint> menu;
    for (const QVariant &e : answer.toList()) {
        const QVariantList entry = e.toList();
        if (entry.size() == 3)
            menu.insert(entry.at(0).toString(), QPoint(entry.at(1).toInt(), entry.at(2).toInt()));
    }
    return menu;
}
