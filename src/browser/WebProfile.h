#pragma once

#include <QString>

class QWebEngineProfile;

namespace browser {

// The program's one web profile, shared by every web view: cookies (the
// site's login session among them) and cache persist under the user's data
// directory, as in a real browser. Made on first use; lives as long as the
// application.
QWebEngineProfile *webProfile();

// Settings of the engine that keep it small: the player's WebAssembly is
// compiled function by function as it runs, and sound plays in the
// program's own process rather than in one more. Before the application
// object is made; settings the user gave the engine come first.
void tuneEngine();

// The folder the profile keeps its data in.
QString webDataDir();

} // namespace browser
