// Windows-1250 (Central European ANSI) text at the file boundary. Inside the
// program every text is a QString; files hold cp1250 bytes with CR LF.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace platform {

QString DecodeCp1250(QByteArrayView bytes);
// The same into a text that is resized to fit, so a caller decoding many
// lines one after another keeps one text's room.
void DecodeCp1250Into(QByteArrayView bytes, QString& out);

// Characters cp1250 cannot hold become "?", as the system's conversion does.
QByteArray EncodeCp1250(const QString& text);

// The Unicode code point of one cp1250 byte. Bytes the code page leaves
// undefined map to the C1 control of the same value, so every byte survives
// a decode/encode round trip.
char16_t Cp1250ToUnicode(unsigned char byte);

}  // namespace platform
