#include "media/cuetext.h"

#include "media/cuesheet.h"

#include <QList>
#include <QStringDecoder>

#include <uchardet/uchardet.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <memory>
#include <string_view>

namespace {

enum Language
{
    SimplifiedChinese,
    TraditionalChinese,
    Japanese,
    Korean,
    Western,
    languageCount,
};

struct Candidate
{
    const char *name;
    Language language;
};

// In the order that settles a tie nothing else breaks.
constexpr Candidate candidates[] = {
    {"GB18030", SimplifiedChinese}, {"Big5", TraditionalChinese}, {"Shift_JIS", Japanese}, {"EUC-KR", Korean},
    {"EUC-JP", Japanese},           {"windows-1252", Western},
};

using CharacterSet = std::bitset<0x10000>;

bool privateUse(char16_t c)
{
    return c >= 0xE000 && c <= 0xF8FF;
}

bool unicode(const QByteArray &encoding)
{
    return encoding.toUpper().startsWith("UTF");
}

// The bytes as text under one encoding, none where any byte sequence is invalid in it. ICU stands
// in U+FFFD or U+001A for some sequences it cannot decode without always reporting an error.
std::optional<QString> decodeStrictly(QByteArrayView bytes, const QByteArray &encoding)
{
    QStringDecoder decoder(encoding.constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder(bytes);
    const bool replaced = !unicode(encoding) && (text.contains(QChar::ReplacementCharacter) ||
                                                 text.count(QChar(0x1A)) != bytes.count('\x1A'));
    if (decoder.hasError() || replaced)
        return std::nullopt;
    return text;
}

// ICU decodes some byte values no text uses, without error, to C1 controls (EUC-KR, windows-1252)
// or to private use (GB18030, Big5): a decoding that holds them is not the sheet's.
bool plausible(const QString &text)
{
    return std::none_of(text.begin(), text.end(), [](QChar c) {
        return (c.unicode() >= 0x80 && c.unicode() <= 0x9F) || privateUse(c.unicode());
    });
}

// Adds what the two-byte codes of rows [firstRow, lastRow], cells [firstCell, lastCell] decode to;
// the last row ends at lastOfLastRow.
void addCodes(CharacterSet &set, const char *encoding, int firstRow, int lastRow, int firstCell, int lastCell,
              int lastOfLastRow)
{
    QByteArray codes;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int cell = firstCell; cell <= (row == lastRow ? lastOfLastRow : lastCell); ++cell)
            codes.append(char(row)).append(char(cell));
    }
    const QString decoded = QStringDecoder(encoding)(codes);
    for (QChar c : decoded) {
        if (c != QChar::ReplacementCharacter && c.unicode() > 0x7F && !privateUse(c.unicode()))
            set.set(c.unicode());
    }
}

// Each language's common characters, from the standards' levels of common use: GB 2312 level 1,
// the frequently used characters of Big5, JIS X 0208 level 1 with the kana, the Hangul of
// KS X 1001, the letters of Latin-1 and the quotes and dashes of windows-1252.
const std::array<CharacterSet, languageCount> &commonCharacters()
{
    static const auto tables = [] {
        auto made = std::make_unique<std::array<CharacterSet, languageCount>>();
        auto &sets = *made;
        addCodes(sets[SimplifiedChinese], "GB18030", 0xB0, 0xD7, 0xA1, 0xFE, 0xF9);
        addCodes(sets[TraditionalChinese], "Big5", 0xA4, 0xC6, 0x40, 0x7E, 0x7E);
        addCodes(sets[TraditionalChinese], "Big5", 0xA4, 0xC5, 0xA1, 0xFE, 0xFE);
        addCodes(sets[Japanese], "EUC-JP", 0xB0, 0xCF, 0xA1, 0xFE, 0xD3);
        addCodes(sets[Japanese], "EUC-JP", 0xA4, 0xA5, 0xA1, 0xFE, 0xF6);
        for (char16_t c : std::u16string_view(u"\u3005\u30FB\u30FC"))
            sets[Japanese].set(c);
        addCodes(sets[Korean], "EUC-KR", 0xB0, 0xC8, 0xA1, 0xFE, 0xFE);
        for (char16_t c = 0xC0; c <= 0xFF; ++c)
            sets[Western].set(c, c != 0xD7 && c != 0xF7);
        for (char16_t c : std::u16string_view(u"\u0152\u0153\u0160\u0161\u0178\u017D\u017E\u0192\u2013"
                                              u"\u2014\u2018\u2019\u201C\u201D\u2026"))
            sets[Western].set(c);
        return made;
    }();
    return *tables;
}

// How many of a text's characters other than ASCII are common in a language, of how many.
struct Share
{
    qint64 common = 0;
    qint64 all = 0;

    friend bool operator<(const Share &a, const Share &b) { return a.common * b.all < b.common * a.all; }
    friend bool operator==(const Share &a, const Share &b) { return a.common * b.all == b.common * a.all; }
};

Share commonShare(const QString &text, Language language)
{
    const CharacterSet &common = commonCharacters()[language];
    Share share;
    for (QChar c : text) {
        if (c.unicode() > 0x7F) {
            ++share.all;
            share.common += common.test(c.unicode());
        }
    }
    return share.all == 0 ? Share{0, 1} : share;
}

// The encoding uchardet guesses, by the name of our candidate; empty where it guesses none of them.
QByteArray statisticalGuess(const QByteArray &bytes)
{
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, decltype(&uchardet_delete)> detector(
        uchardet_new(), &uchardet_delete);
    if (uchardet_handle_data(detector.get(), bytes.constData(), size_t(bytes.size())) != 0)
        return {};
    uchardet_data_end(detector.get());
    const QByteArray guess = QByteArray(uchardet_get_charset(detector.get())).toUpper();
    const std::pair<const char *, const char *> aliases[] = {
        {"GB2312", "GB18030"},
        {"GBK", "GB18030"},
        {"GB18030", "GB18030"},
        {"BIG5", "Big5"},
        {"SHIFT_JIS", "Shift_JIS"},
        {"EUC-KR", "EUC-KR"},
        {"UHC", "EUC-KR"},
        {"EUC-JP", "EUC-JP"},
        {"WINDOWS-1252", "windows-1252"},
        {"ISO-8859-1", "windows-1252"},
        {"ISO-8859-15", "windows-1252"},
    };
    for (const auto &[alias, name] : aliases) {
        if (guess == alias)
            return name;
    }
    return {};
}

struct Reading
{
    const Candidate *candidate;
    QString text;
    Share share;
};

std::optional<CueText::Decoded> guess(const QByteArray &bytes,
                                      const std::function<bool(const QString &)> &fileExists)
{
    QList<Reading> readings;
    for (const Candidate &candidate : candidates) {
        std::optional<QString> text = decodeStrictly(bytes, candidate.name);
        if (text && plausible(*text))
            readings.append({&candidate, *text, {}});
    }
    const auto namesExistingFile = [&fileExists](const Reading &reading) {
        const QStringList names = CueSheet::fileNames(reading.text);
        return std::ranges::any_of(names, fileExists);
    };
    if (fileExists && std::ranges::any_of(readings, namesExistingFile))
        readings.removeIf([&](const Reading &reading) { return !namesExistingFile(reading); });
    if (readings.isEmpty())
        return std::nullopt;
    for (Reading &reading : readings)
        reading.share = commonShare(reading.text, reading.candidate->language);
    const Share best = std::ranges::max_element(readings, [](const Reading &a, const Reading &b) {
                           return a.share < b.share;
                       })->share;
    readings.removeIf([&best](const Reading &reading) { return !(reading.share == best); });
    const Reading *chosen = &readings.first();
    if (readings.size() > 1) {
        const QByteArray guessed = statisticalGuess(bytes);
        const auto found = std::ranges::find_if(
            readings, [&guessed](const Reading &reading) { return guessed == reading.candidate->name; });
        if (found != readings.end())
            chosen = &*found;
    }
    return CueText::Decoded{chosen->text, chosen->candidate->name};
}

} // namespace

std::optional<CueText::Decoded> CueText::decode(const QByteArray &bytes,
                                                const std::function<bool(const QString &)> &fileExists,
                                                const QByteArray &forcedEncoding)
{
    const auto decodedAs = [&bytes](const QByteArray &encoding, qsizetype skipped = 0) {
        std::optional<QString> text = decodeStrictly(QByteArrayView(bytes).sliced(skipped), encoding);
        return text ? std::optional<Decoded>({*text, encoding}) : std::nullopt;
    };
    if (!forcedEncoding.isEmpty())
        return decodedAs(forcedEncoding);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodedAs("UTF-8", 3);
    if (bytes.startsWith("\xFF\xFE"))
        return decodedAs("UTF-16LE", 2);
    if (bytes.startsWith("\xFE\xFF"))
        return decodedAs("UTF-16BE", 2);
    if (std::optional<Decoded> utf8 = decodedAs("UTF-8"))
        return utf8;
    return guess(bytes, fileExists);
}
