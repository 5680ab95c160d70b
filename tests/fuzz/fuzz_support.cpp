#include "tests/fuzz/fuzz_support.h"

#include "platform/cp1250.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace fuzz {

void Violated(const char* invariant, const QStringList& details) {
    std::fprintf(stderr, "\n==== invariant violated: %s\n", invariant);
    for (const QString& d : details) {
        std::fprintf(stderr, "  %s\n", d.toUtf8().constData());
    }
    std::fflush(stderr);
    __builtin_trap();
}

QString Visible(const QString& text) {
    QString out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F && u != u'\\') {
            out += c;
        } else if (u < 0x100) {
            out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        } else {
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        }
    }
    return u'"' + out + u'"';
}

QString Visible(const QByteArray& bytes) {
    return Visible(QString::fromLatin1(bytes));
}

namespace {

class FuzzSource final : public Source {
  public:
    FuzzSource(const std::uint8_t* data, std::size_t size) : data_(data, size) {}

    bool Bool() override { return data_.ConsumeBool(); }
    int Int(int min, int max) override { return data_.ConsumeIntegralInRange(min, max); }

    QString Text(std::size_t maxLength) override {
        const auto length = data_.ConsumeIntegralInRange<std::size_t>(0, maxLength);
        QString text;
        text.reserve(qsizetype(length));
        for (std::size_t i = 0; i < length && data_.remaining_bytes() > 0; ++i) {
            const auto byte = data_.ConsumeIntegral<std::uint8_t>();
            if (byte == 0xFF && data_.remaining_bytes() >= 2) {
                text += QChar(data_.ConsumeIntegral<std::uint16_t>());
            } else {
                text += QChar(platform::Cp1250ToUnicode(byte));
            }
        }
        return text;
    }

    QString From(const QString& alphabet, std::size_t maxLength) override {
        const auto length = data_.ConsumeIntegralInRange<std::size_t>(0, maxLength);
        QString text;
        for (std::size_t i = 0; i < length && data_.remaining_bytes() > 0; ++i) {
            text += alphabet[data_.ConsumeIntegralInRange<qsizetype>(0, alphabet.size() - 1)];
        }
        return text;
    }

    QByteArray Bytes(std::size_t maxLength) override {
        return QByteArray::fromStdString(data_.ConsumeRandomLengthString(maxLength));
    }

    bool Exhausted() const override { return data_.remaining_bytes() == 0; }

  private:
    mutable FuzzedDataProvider data_;
};

class SeedSource final : public Source {
  public:
    explicit SeedSource(const QByteArray& text) {
        const QList<QByteArray> lines = text.split('\n');
        for (qsizetype i = 1; i < lines.size(); ++i) {
            QByteArray line = lines[i];
            if (line.endsWith('\r')) {
                line.chop(1);
            }
            if (line.startsWith("//")) {
                continue;
            }
            const qsizetype comment = line.indexOf("  //");
            if (comment >= 0) {
                line.truncate(comment);
            }
            while (line.endsWith(' ')) {
                line.chop(1);
            }
            lines_.append(line);
        }
        // The file's own last line end leaves no value behind.
        if (!lines_.isEmpty() && lines_.back().isEmpty()) {
            lines_.removeLast();
        }
    }

    bool Bool() override {
        const QByteArray v = Next();
        return v == "1" || v == "true" || v == "yes";
    }

    int Int(int min, int max) override {
        bool ok = false;
        const qlonglong v = Next().trimmed().toLongLong(&ok);
        return ok ? int(std::clamp<qlonglong>(v, min, max)) : min;
    }

    QString Text(std::size_t maxLength) override {
        return Unescape(Next(), true).left(qsizetype(maxLength));
    }

    QString From(const QString& alphabet, std::size_t maxLength) override {
        QString out;
        for (QChar c : Text(maxLength)) {
            if (alphabet.contains(c)) {
                out += c;
            }
        }
        return out;
    }

    QByteArray Bytes(std::size_t maxLength) override {
        return platform::EncodeCp1250(Unescape(Next(), false)).left(qsizetype(maxLength));
    }

    bool Exhausted() const override { return next_ >= lines_.size(); }

  private:
    QByteArray Next() { return Exhausted() ? QByteArray() : lines_[next_++]; }

    // The line's bytes as cp1250; \uNNNN only where a text is wanted.
    static QString Unescape(const QByteArray& line, bool unicode) {
        QString out;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c != '\\' || i + 1 >= line.size()) {
                out += QChar(platform::Cp1250ToUnicode(static_cast<unsigned char>(c)));
                continue;
            }
            const char e = line[++i];
            if (e == 'n') {
                out += u'\n';
            } else if (e == 'r') {
                out += u'\r';
            } else if (e == 't') {
                out += u'\t';
            } else if (e == 'x' && i + 2 < line.size()) {
                out += QChar(platform::Cp1250ToUnicode(
                    static_cast<unsigned char>(line.mid(i + 1, 2).toInt(nullptr, 16))));
                i += 2;
            } else if (e == 'u' && unicode && i + 4 < line.size()) {
                out += QChar(char16_t(line.mid(i + 1, 4).toInt(nullptr, 16)));
                i += 4;
            } else {
                out += QChar(platform::Cp1250ToUnicode(static_cast<unsigned char>(e)));
            }
        }
        return out;
    }

    QList<QByteArray> lines_;
    qsizetype next_ = 0;
};

}  // namespace

std::unique_ptr<Source> Source::For(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (bytes.startsWith("#corvatta-seed\n") || bytes.startsWith("#corvatta-seed\r\n")) {
        return std::make_unique<SeedSource>(bytes);
    }
    return std::make_unique<FuzzSource>(data, size);
}

QString Source::TypedEntry() {
    if (Int(0, 3) == 0) {
        return EntryText(18);
    }
    static const QString kCallRest = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/");
    static const QString kDigits = QStringLiteral("0123456789");
    QString typed = QStringLiteral("S5") + From(kDigits, 1) + From(kCallRest, 12);
    typed += Bool() ? QStringLiteral(" ") : QStringLiteral("  ");
    return typed + From(kDigits, 2);
}

QString Source::EntryText(std::size_t maxLength) {
    static const QString kEntryCharacters =
        QStringLiteral("S5S5S50123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ/  ");
    return From(kEntryCharacters, maxLength);
}

const QString& ScratchFolder() {
    static const auto folder = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        return std::make_unique<QTemporaryDir>(base + QStringLiteral("/corvatta-fuzz-XXXXXX"));
    }();
    static const QString path = folder->path() + u'/';
    return path;
}

QByteArray ReadWholeFile(const QString& path) {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly), "the scratch file can be read", {path});
    return file.readAll();
}

void WriteWholeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    FUZZ_CHECK(
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
        "the scratch file can be written", {path});
}

}  // namespace fuzz
