#pragma once

// Whether the test program's start turned the input method off, as main()
// does on a compositor without a seat.
extern bool inputMethodTurnedOff;
