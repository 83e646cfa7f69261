#pragma once

#include <QString>

class QWebEngineProfile;

namespace browser {

// The program's one web profile, shared by every web view: cookies (the
// site's login session among them) and cache persist under the user's data
// directory, as in a real browser. Made on first use; lives as long as the
// application.
QWebEngineProfile *webProfile();

// The folder the profile keeps its data in.
QString webDataDir();

} // namespace browser
