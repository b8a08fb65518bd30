// The customer's words: every text that morvalith-check.exe shows, in each
// language it speaks, looked up by identifier and filled in with arguments.
// The support text (the explanation, the [LIB] lines, the report) stays
// English and never comes from here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lang {

enum Language { kEnglish, kChineseSimplified, kChineseTraditional, kJapanese, kKorean, kGerman, kFrench, kSpanish,
                kLanguageCount };

// "en", "zh-CN", "zh-TW", "ja", "ko", "de", "fr", "es".
const char *Code(int language);
// A code as support or a customer types it ("de", "DE-at", "zh_TW",
// "zh-Hans"); -1 for none that has a table.
int FromCode(const std::string &code);
// The language for a Windows language identifier (a LANGID); English for
// one that has no table.
int FromLangId(uint16_t langId);
// The ANSI code page a language needs where text goes through the ANSI
// functions (0: any, English is ASCII), and the GDI character set of a font
// that shows it.
unsigned CodePage(int language);
unsigned char Charset(int language);

// The text of an identifier in a language, UTF-8; null for an unknown one.
const char *Text(int language, const std::string &id);
// Every identifier, in the table's order.
std::vector<std::string> Ids();
// text with {1}..{9} replaced by the arguments, inserted as they are (an
// argument is never read for placeholders); a placeholder without its
// argument becomes empty.
std::string Format(const std::string &text, const std::vector<std::string> &args);
// The words of a Windows error number ("5") in a language: the table's own
// name for it, or its words for an error it has no name for.
const char *ErrorText(int language, const std::string &number);
// text with {E} replaced by the words of the error that the first argument
// numbers, then formatted.
std::string Fill(int language, const std::string &text, const std::vector<std::string> &args);
// Text(language, id) filled in; English where the language lacks the id,
// empty where no language has it.
std::string Say(int language, const std::string &id, const std::vector<std::string> &args = {});

// An identifier with its arguments on one line ("open-denied 5"), each
// argument with its spaces, '%', quotes, backslashes and bytes outside
// printable ASCII written as %XX; and back. ParseIdLine refuses a line
// whose identifier is not of the table's alphabet (a-z, 0-9, '-', '.').
std::string IdLine(const std::string &id, const std::vector<std::string> &args);
bool ParseIdLine(const std::string &line, std::string &id, std::vector<std::string> &args);

// UTF-8 and UTF-16, without the system's help (Windows 98 has no UTF-8
// code page of its own): an invalid sequence becomes U+FFFD.
std::u16string Utf16(const std::string &utf8);
std::string Utf8(const std::u16string &utf16);

}  // namespace lang

// For the test program that reads the window (C): the formatted text of an
// identifier, UTF-8, in out; 0 when the language or the identifier is unknown.
extern "C" int MorvalithSay(const char *code, const char *id, const char *const *args, int count, char *out,
                            int size);
