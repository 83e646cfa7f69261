#pragma once

#include <QString>

// Shortens text to at most `maximum` UTF-16 units: a longer text becomes its
// first (maximum - 1) units followed by "..."; a text that fits is returned
// unchanged; with a maximum of 0 or less a non-empty text becomes "...".
QString TruncateWithEllipsis(const QString &text, int maximum);
