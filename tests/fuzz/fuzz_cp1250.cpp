// cp1250 both ways. Bytes from a file must come back byte for byte after
// decoding and encoding (every settings and log file is read and written
// back through this table). Text from the program keeps one byte per
// character; a character comes back as itself, or as "?" only when no
// cp1250 byte holds it.
#include "tests/fuzz/fuzz_support.h"

#include "platform/cp1250.h"

#include <bitset>

namespace {

// Which characters some cp1250 byte decodes to.
bool InCodePage(char16_t u) {
    static const auto held = [] {
        auto* h = new std::bitset<0x10000>;
        for (int b = 0; b < 256; ++b) {
            h->set(platform::Cp1250ToUnicode(static_cast<unsigned char>(b)));
        }
        return h;
    }();
    return held->test(u);
}

void BytesSurviveDecodeAndEncode(const QByteArray& bytes) {
    const QString text = platform::DecodeCp1250(bytes);
    FUZZ_CHECK(text.size() == bytes.size(), "one character per byte",
               {fuzz::Visible(bytes), fuzz::Visible(text)});
    const QByteArray back = platform::EncodeCp1250(text);
    FUZZ_CHECK(back == bytes, "bytes come back after decode and encode",
               {fuzz::Visible(bytes), fuzz::Visible(back)});
}

void TextKeepsWhatTheCodePageHolds(const QString& text) {
    const QByteArray bytes = platform::EncodeCp1250(text);
    FUZZ_CHECK(bytes.size() == text.size(), "one byte per character",
               {fuzz::Visible(text), fuzz::Visible(bytes)});
    const QString back = platform::DecodeCp1250(bytes);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (InCodePage(u)) {
            FUZZ_CHECK(back[i] == text[i], "a cp1250 character comes back as itself",
                       {fuzz::Visible(text), fuzz::Visible(back)});
        } else {
            FUZZ_CHECK(back[i] == u'?', "a character outside cp1250 becomes \"?\"",
                       {fuzz::Visible(text), fuzz::Visible(back)});
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    BytesSurviveDecodeAndEncode(bytes);

    // The same input as UTF-16 text, so every code unit (surrogates too)
    // comes up.
    QString text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text += QChar(char16_t(data[i] | (data[i + 1] << 8)));
    }
    TextKeepsWhatTheCodePageHolds(text);
    return 0;
}
