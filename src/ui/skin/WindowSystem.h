#pragma once

namespace skin {

// Whether a window manager (or compositor) runs that maximises windows when
// asked. False only on an X server without one, where the program has to
// size its windows itself.
bool windowSystemMaximizes();

} // namespace skin
