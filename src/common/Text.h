#pragma once

#include <QString>

// Shortens text to at most `maximum` UTF-16 units: a longer text becomes its
// first (maximum - 1) units followed by "..."; a text that fits is returned
// unchanged; with a maximum of 0 or less a non-empty text becomes "...".
QString TruncateWithEllipsis(const QString &text, int maximum);

// The most characters of one catalogue text that a cell, a tip line, a label
// or a menu entry lays out; more would only slow drawing down.
inline constexpr int kLongestShownText = 256;

// A catalogue text as one place shows it: shortened with TruncateWithEllipsis
// to `maximum`, control characters (tabs, escapes, NUL, and line ends unless
// kept) as blanks.
enum class LineEnds { Blank, Keep };
QString ShownText(const QString &text, int maximum = kLongestShownText, LineEnds lineEnds = LineEnds::Blank);
