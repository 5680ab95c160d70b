#include "ini_file.h"

#include "cp1250.h"
#include "errors.h"
#include "text_file.h"

#include <QFile>

namespace platform {

namespace {

bool IsSectionHeader(const QString& trimmed, QString* name) {
    if (!trimmed.startsWith(u'[')) {
        return false;
    }
    const qsizetype close = trimmed.indexOf(u']');
    if (close < 0) {
        // Without its closing bracket the line is no header; the keys after
        // it stay in the section before, as the system reads such a file.
        return false;
    }
    if (name) {
        *name = trimmed.mid(1, close - 1).trimmed();
    }
    return true;
}

// Splits a key line into key and value; false for comments and lines
// without "=".
bool SplitKeyLine(const QString& line, QString* key, QString* value) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u';')) {
        return false;
    }
    const qsizetype eq = trimmed.indexOf(u'=');
    if (eq <= 0) {
        return false;
    }
    *key = trimmed.left(eq).trimmed();
    if (key->isEmpty()) {
        return false;
    }
    if (value) {
        QString v = trimmed.mid(eq + 1).trimmed();
        if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front()) {
            v = v.mid(1, v.size() - 2);
        }
        *value = v;
    }
    return true;
}

int HexValue(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

}  // namespace

std::optional<int> ParseIniInteger(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' &&
               (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) {
        return std::nullopt;
    }
    // Decimal is limited to the signed range; hexadecimal may use all 32
    // bits ($FFFFFFFF is -1).
    const quint64 limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    quint64 value = 0;
    for (; i < text.size(); ++i) {
        const int digit =
            base == 16 ? HexValue(text[i])
                       : (text[i].isDigit() && text[i] <= u'9' ? text[i].unicode() - u'0' : -1);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * quint64(base) + quint64(digit);
        if (value > limit) {
            return std::nullopt;
        }
    }
    const qint64 signedValue = base == 16 ? qint64(qint32(quint32(value))) : qint64(value);
    return int(negative ? -signedValue : signedValue);
}

IniDocument IniDocument::FromBytes(const QByteArray& bytes) {
    IniDocument doc;
    doc.lines_ = SplitLines(DecodeCp1250(bytes));
    return doc;
}

QByteArray IniDocument::ToBytes() const {
    return EncodeCp1250(JoinLinesCrLf(lines_));
}

std::optional<IniDocument::Span> IniDocument::FindSection(const QString& section) const {
    const QString wanted = section.trimmed();
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        QString name;
        if (IsSectionHeader(lines_[i].trimmed(), &name) &&
            name.compare(wanted, Qt::CaseInsensitive) == 0) {
            Span span{i, lines_.size()};
            for (qsizetype j = i + 1; j < lines_.size(); ++j) {
                if (IsSectionHeader(lines_[j].trimmed(), nullptr)) {
                    span.end = j;
                    break;
                }
            }
            return span;
        }
    }
    return std::nullopt;
}

qsizetype IniDocument::FindKey(const Span& span, const QString& key) const {
    const QString wanted = key.trimmed();
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        QString k;
        if (SplitKeyLine(lines_[i], &k, nullptr) && k.compare(wanted, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

bool IniDocument::HasSection(const QString& section) const {
    return FindSection(section).has_value();
}

std::optional<QString> IniDocument::Value(const QString& section, const QString& key) const {
    const auto span = FindSection(section);
    if (!span) {
        return std::nullopt;
    }
    const qsizetype line = FindKey(*span, key);
    if (line < 0) {
        return std::nullopt;
    }
    QString k, v;
    SplitKeyLine(lines_[line], &k, &v);
    return v.left(kMaxValueLength);
}

void IniDocument::SetValue(const QString& section, const QString& key, const QString& text) {
    // A value is one line: a pasted line break would otherwise end it early
    // and turn the rest into lines of their own (a stray key, or a section
    // header that takes over the keys after it).
    QString value = text;
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    const auto span = FindSection(section);
    if (!span) {
        lines_.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines_.append(key + QLatin1Char('=') + value);
        return;
    }
    const qsizetype line = FindKey(*span, key);
    if (line >= 0) {
        QString existingKey;
        SplitKeyLine(lines_[line], &existingKey, nullptr);
        lines_[line] = existingKey + QLatin1Char('=') + value;
        return;
    }
    // After the last non-blank line of the section, so blank separators stay
    // in front of the next section.
    qsizetype insertAt = span->end;
    while (insertAt > span->header + 1 && lines_[insertAt - 1].trimmed().isEmpty()) {
        --insertAt;
    }
    lines_.insert(insertAt, key + QLatin1Char('=') + value);
}

QString IniDocument::ReadString(const QString& section, const QString& key,
                                const QString& def) const {
    return Value(section, key).value_or(def);
}

int IniDocument::ReadInteger(const QString& section, const QString& key, int def) const {
    const auto text = Value(section, key);
    if (!text) {
        return def;
    }
    return ParseIniInteger(*text).value_or(def);
}

bool IniDocument::ReadBool(const QString& section, const QString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniDocument::WriteString(const QString& section, const QString& key, const QString& value) {
    SetValue(section, key, value);
}

void IniDocument::WriteInteger(const QString& section, const QString& key, int value) {
    SetValue(section, key, QString::number(value));
}

void IniDocument::WriteBool(const QString& section, const QString& key, bool value) {
    SetValue(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

IniDocument IniFile::Load() const {
    QFile file(fileName_);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return IniDocument::FromBytes(file.readAll());
}

void IniFile::Save(const IniDocument& doc) const {
    QString error;
    if (!WriteFileAtomically(fileName_, doc.ToBytes(), &error)) {
        throw IniWriteError(fileName_, error);
    }
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    return Load().ReadString(section, key, def);
}

int IniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    return Load().ReadInteger(section, key, def);
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    return Load().ReadBool(section, key, def);
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) const {
    IniDocument doc = Load();
    doc.WriteString(section, key, value);
    Save(doc);
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value) const {
    IniDocument doc = Load();
    doc.WriteInteger(section, key, value);
    Save(doc);
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value) const {
    IniDocument doc = Load();
    doc.WriteBool(section, key, value);
    Save(doc);
}

}  // namespace platform
