// INI files with the semantics of the Windows private-profile functions:
// case-insensitive sections and keys, the first of duplicate keys wins, an
// existing key is replaced in place, a new key goes to the end of its section
// and a new section to the end of the file; everything else in the file
// (comments, unknown keys, odd lines) is kept. Files are cp1250 with CR LF.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

// Reads an integer the way the settings reader does: decimal with an
// optional sign, "0x"/"0X" or "$" for hexadecimal, 32 bits; anything else is
// not a number.
std::optional<int> ParseIniInteger(const QString& text);

// The parsed contents of one INI file, held as its lines.
class IniDocument {
  public:
    static constexpr int kMaxValueLength = 2047;

    IniDocument() = default;
    static IniDocument FromBytes(const QByteArray& bytes);
    QByteArray ToBytes() const;

    std::optional<QString> Value(const QString& section, const QString& key) const;
    // A line break in the value is written as a blank: the value stays on
    // its key's line.
    void SetValue(const QString& section, const QString& key, const QString& value);

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    bool HasSection(const QString& section) const;
    const QStringList& Lines() const { return lines_; }

  private:
    struct Span {
        qsizetype header = -1;  // line of the section header
        qsizetype end = 0;      // one past the section's last line
    };
    std::optional<Span> FindSection(const QString& section) const;
    qsizetype FindKey(const Span& span, const QString& key) const;

    QStringList lines_;
};

// An INI file on disk. Every call opens the file, works and lets it go, so
// the file is never held between operations; writes replace the file
// atomically and throw IniWriteError when that fails.
class IniFile {
  public:
    explicit IniFile(QString fileName) : fileName_(std::move(fileName)) {}
    const QString& FileName() const { return fileName_; }

    // A missing or unreadable file reads as an empty document.
    IniDocument Load() const;
    void Save(const IniDocument& doc) const;

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    void WriteString(const QString& section, const QString& key, const QString& value) const;
    void WriteInteger(const QString& section, const QString& key, int value) const;
    void WriteBool(const QString& section, const QString& key, bool value) const;

  private:
    QString fileName_;
};

}  // namespace platform
