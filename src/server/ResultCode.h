#pragma once

// The site's answer to a posted form: a result code on the first line of the
// answer page's text, and the message each code gives.

#include <QString>

namespace platform {
class Prompter;
}

namespace server {

// Success: the caller goes on.
constexpr int kSuccess = 0;
// The answer page had no readable code.
constexpr int kUnreadable = -1;
// No answer: cancelled, closed, or a page without text.
constexpr int kNoAnswer = 99999;

// The code of an answer page from its visible text: the first line (lines
// end at CR, LF or CR LF), trimmed of blanks and control characters, as a
// signed 32-bit decimal number; kUnreadable when it is not one. A page
// without text keeps `current`.
int readResultCode(const QString &pageText, int current);

// The message for a code; empty for 0 and kNoAnswer, which show none.
QString resultMessage(int code);

} // namespace server

// Shows the message of a code under "提示" with the stop icon and OK;
// nothing for 0 and 99999.
void ShowResultMessage(platform::Prompter &prompter, int code);
