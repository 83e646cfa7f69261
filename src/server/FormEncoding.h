#pragma once

// Form bodies as the web site takes them: GBK bytes, URL-encoded.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <utility>

namespace server {

// One form field; the name is written as it stands, the value is encoded.
using FormPair = std::pair<QString, QString>;
using FormPairs = QList<FormPair>;

// The text as the site's code page: GB18030, of which GBK is a part, so
// nothing typed is lost.
QByteArray toSiteBytes(const QString &text);

// Encodes bytes for a form: letters, digits and !$'()*-.@_ pass through,
// the space becomes "+", every other byte "%XX" with upper-case digits.
QByteArray encodeFormBytes(QByteArrayView bytes);

// The name=value pairs joined by "&", names literal, values encoded; no
// leading "?" and no trailing "&".
QByteArray buildFormBody(const FormPairs &pairs);

// The extra header sent with every posted form.
QString formHeader();

} // namespace server

// Encodes one form value: its GBK bytes through encodeFormBytes.
QByteArray EncodeFormValue(const QString &value);
