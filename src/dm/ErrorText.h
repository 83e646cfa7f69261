#pragma once

#include <QString>

// Why a download failed, in words for its row: from aria2's error code and
// message, or from the system's error number.
namespace dm {

QString aria2ErrorText(int code, const QString &message);
QString systemErrorText(int error);

} // namespace dm
