#include "HtmlEncoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace fd {

QByteArray encodeHtmlForCharset(const QString& html, const QString& charset) {
    const QByteArray name = charset.trimmed().toLatin1();
    if (name.isEmpty()) return html.toUtf8();
    QStringEncoder encoder(name.constData());
    if (!encoder.isValid()) return html.toUtf8();
    QByteArray bytes = encoder.encode(html);
    // Most pages hold only what their charset can write: then the bytes
    // read back to the same text.
    QStringDecoder decoder(name.constData());
    if (!encoder.hasError() && decoder.isValid() && QString(decoder.decode(bytes)) == html)
        return bytes;
    bytes.clear();
    for (qsizetype i = 0; i < html.size();) {
        const qsizetype len = html[i].isHighSurrogate() && i + 1 < html.size() ? 2 : 1;
        const QStringView ch = QStringView(html).mid(i, len);
        QStringEncoder one(name.constData());
        QStringDecoder back(name.constData());
        const QByteArray b = one.encode(ch);
        if (!one.hasError() && QString(back.decode(b)) == ch)
            bytes += b;
        else
            bytes += "&#" +
                     QByteArray::number(len == 2 ? QChar::surrogateToUcs4(html[i], html[i + 1])
                                                 : char32_t(html[i].unicode())) +
                     ';';
        i += len;
    }
    return bytes;
}

}  // namespace fd
