// The customer's words: every language has every text, with the same
// arguments in the one form the formatter knows, each language's text fits
// the ANSI code page that shows it on Windows 98, and Windows' language
// identifiers and the override's codes pick the table a customer expects.
#include <gtest/gtest.h>
#include <iconv.h>

#include <set>
#include <string>
#include <vector>

#include "lang.h"

namespace {

// The placeholders of a text, or "bad" for a brace outside one.
std::multiset<std::string> Placeholders(const std::string &text)
{
    std::multiset<std::string> found;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '{' && i + 2 < text.size() &&
            ((text[i + 1] >= '1' && text[i + 1] <= '9') || text[i + 1] == 'E') && text[i + 2] == '}') {
            found.insert(text.substr(i, 3));
            i += 2;
        } else if (text[i] == '{' || text[i] == '}') {
            found.insert("bad");
        }
    }
    return found;
}

// Whether text (UTF-8) converts to the code page without a loss.
bool FitsCodePage(const std::string &text, unsigned page)
{
    const char *name = page == 936 ? "CP936" : page == 950 ? "BIG5" : page == 932 ? "CP932" : page == 949 ? "CP949"
                                                                                                         : "CP1252";
    iconv_t cd = iconv_open(name, "UTF-8");
    if (cd == (iconv_t)-1) return false;
    std::string in = text;
    std::vector<char> out(in.size() * 4 + 4);
    char *from = in.data(), *to = out.data();
    size_t left = in.size(), room = out.size();
    size_t converted = iconv(cd, &from, &left, &to, &room);
    iconv_close(cd);
    return converted != (size_t)-1 && left == 0;
}

TEST(Lang, EveryLanguageHasEveryTextWithTheSameArguments)
{
    std::set<std::string> seen;
    for (const std::string &id : lang::Ids()) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(seen.insert(id).second) << "listed twice";
        const std::string english = lang::Text(lang::kEnglish, id);
        EXPECT_EQ(Placeholders(english).count("bad"), 0u) << english;
        for (unsigned char c : english) EXPECT_LT(c, 0x80) << "English stays ASCII: " << english;
        const std::multiset<std::string> englishPlaceholders = Placeholders(english);
        const std::set<std::string> wanted(englishPlaceholders.begin(), englishPlaceholders.end());
        for (int l = 0; l < lang::kLanguageCount; ++l) {
            SCOPED_TRACE(lang::Code(l));
            const char *text = lang::Text(l, id);
            ASSERT_NE(text, nullptr);
            EXPECT_STRNE(text, "");
            std::multiset<std::string> own = Placeholders(text);
            EXPECT_EQ(std::set<std::string>(own.begin(), own.end()), wanted) << text;
            EXPECT_EQ(std::string(text).find('%'), std::string::npos) << "no printf conversions: " << text;
            EXPECT_EQ(lang::Utf8(lang::Utf16(text)), text) << "not UTF-8: " << text;
            if (lang::CodePage(l)) EXPECT_TRUE(FitsCodePage(text, lang::CodePage(l))) << text;
        }
    }
    // The window's own words are all there.
    for (const char *id : {"title", "checking", "verdict.loads", "verdict.refuses", "verdict.untested", "label.cause",
                           "label.remedy", "button.save", "button.copy", "button.elevate", "button.close",
                           "windows.version", "windows.version-extra", "windows.10", "report.saved",
                           "verdict.missing-one", "remedy.missing-two"})
        EXPECT_NE(lang::Text(lang::kEnglish, id), nullptr) << id;
    EXPECT_EQ(lang::Text(lang::kGerman, "no-such-text"), nullptr);
}

TEST(Lang, ArgumentsAreInsertedAsTheyAre)
{
    struct Case {
        const char *text;
        std::vector<std::string> args;
        const char *want;
    } cases[] = {
        {"{1} and {2}", {"a", "b"}, "a and b"},
        {"{2}{1}{2}", {"x", "y"}, "yxy"},
        {"{1} then {2}", {"{2}", "%s%n"}, "{2} then %s%n"},  // an argument is never read for placeholders
        {"{3} missing", {"a"}, " missing"},
        {"{0} {x} {1 {12}", {"a"}, "{0} {x} {1 {12}"},
        {"ends with {", {}, "ends with {"},
    };
    for (const Case &c : cases) EXPECT_EQ(lang::Format(c.text, c.args), c.want) << c.text;
    EXPECT_EQ(lang::Say(lang::kGerman, "cause.open-denied", {"5"}),
              "Der USB-Stick wurde gefunden, ließ sich aber nicht öffnen: Zugriff verweigert (Fehler 5).");
    EXPECT_EQ(lang::Say(lang::kJapanese, "no-such-text"), "");
    // {E}: the words of the error the first argument numbers, never read
    // from an argument, and the table's own words for a number it lacks.
    struct ErrorCase {
        int language;
        std::vector<std::string> args;
        const char *want;
    } errors[] = {
        {lang::kEnglish, {"31"}, "The vendor read did not reach the disk: DeviceIoControl failed: a device attached to "
                                 "the system is not functioning (error 31)."},
        {lang::kGerman, {"1167"}, "Der Lesebefehl hat den USB-Stick nicht erreicht: das Gerät ist nicht angeschlossen "
                                  "(Fehler 1167)."},
        {lang::kJapanese, {"4294967295"}, "読み取りコマンドが USB フラッシュ ドライブに届きませんでした：不明なエラー（エラー 4294967295）。"},
        {lang::kFrench, {"{E}"}, "La commande de lecture n’a pas atteint la clé USB\u00a0: erreur inconnue (erreur {E})."},
        {lang::kSpanish, {}, "La orden de lectura no llegó a la memoria USB: error desconocido (error )."},
    };
    for (const ErrorCase &e : errors) EXPECT_EQ(lang::Say(e.language, "cause.transport-failed", e.args), e.want);
}

TEST(Lang, IdentifierLinesCarryAnyArgument)
{
    const std::vector<std::vector<std::string>> cases = {
        {}, {"5"}, {"Generic Flash Disk"}, {"a%b", "\"q\"", "back\\slash"}, {"", "x"}, {"\xE4\xB8\xAD", "\t\n"}};
    for (const auto &args : cases) {
        std::string line = lang::IdLine("open-denied", args), id;
        std::vector<std::string> back;
        EXPECT_EQ(line.find_first_of("\"\\\n\t"), std::string::npos) << line;
        ASSERT_TRUE(lang::ParseIdLine(line + "\r", id, back)) << line;
        EXPECT_EQ(id, "open-denied");
        EXPECT_EQ(back, args) << line;
    }
    EXPECT_EQ(lang::IdLine("no-aspi-flash-disk", {"Generic Flash Disk"}), "no-aspi-flash-disk Generic%20Flash%20Disk");
    std::string id;
    std::vector<std::string> args;
    for (const char *bad : {"", " 5", "Open-Denied", "open_denied 5", "cause: open-denied"})
        EXPECT_FALSE(lang::ParseIdLine(bad, id, args)) << bad;
}

TEST(Lang, WindowsLanguagesAndCodesPickTheirTable)
{
    const struct {
        uint16_t langId;
        int want;
    } ids[] = {{0x0409, lang::kEnglish},           {0x0809, lang::kEnglish},          {0x0804, lang::kChineseSimplified},
               {0x1004, lang::kChineseSimplified}, {0x0404, lang::kChineseTraditional}, {0x0C04, lang::kChineseTraditional},
               {0x1404, lang::kChineseTraditional}, {0x7C04, lang::kChineseTraditional}, {0x0411, lang::kJapanese},
               {0x0412, lang::kKorean},            {0x0407, lang::kGerman},           {0x0C07, lang::kGerman},
               {0x040C, lang::kFrench},            {0x0C0C, lang::kFrench},           {0x0C0A, lang::kSpanish},
               {0x080A, lang::kSpanish},           {0x0419, lang::kEnglish},          {0x0000, lang::kEnglish}};
    for (const auto &c : ids) EXPECT_EQ(lang::FromLangId(c.langId), c.want) << std::hex << c.langId;
    const struct {
        const char *code;
        int want;
    } codes[] = {{"en", lang::kEnglish},           {"EN-us", lang::kEnglish},   {"zh-CN", lang::kChineseSimplified},
                 {"zh", lang::kChineseSimplified}, {"zh_Hans", lang::kChineseSimplified},
                 {"zh-TW", lang::kChineseTraditional}, {"zh-hant-tw", lang::kChineseTraditional},
                 {"zh-HK", lang::kChineseTraditional}, {"ja", lang::kJapanese}, {"ko-KR", lang::kKorean},
                 {"de", lang::kGerman},            {"de_AT", lang::kGerman},    {"fr", lang::kFrench},
                 {"es-MX", lang::kSpanish},        {"ru", -1},                  {"", -1},
                 {"english", -1},                  {"zhx", -1}};
    for (const auto &c : codes) EXPECT_EQ(lang::FromCode(c.code), c.want) << c.code;
    for (int l = 0; l < lang::kLanguageCount; ++l) EXPECT_EQ(lang::FromCode(lang::Code(l)), l);
}

TEST(Lang, Utf16RoundTripsAndMarksBrokenSequences)
{
    const std::string text = "a\xC3\xA4\xE4\xB8\xAD\xF0\x9F\x98\x80";  // a, ä, 中, an emoji (a surrogate pair)
    EXPECT_EQ(lang::Utf16(text), std::u16string(u"a\u00e4\u4e2d\U0001F600"));
    EXPECT_EQ(lang::Utf8(lang::Utf16(text)), text);
    EXPECT_EQ(lang::Utf16("\xC0\xAF" "b\xE4\xB8"), std::u16string(u"\uFFFD\uFFFDb\uFFFD\uFFFD"));
    EXPECT_EQ(lang::Utf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
