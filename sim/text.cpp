#include "text.h"

#include <cctype>
#include <cstdio>

namespace sim {

std::string Printable(const std::string &text, size_t limit)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (out.size() >= limit) {
            out += "...";
            break;
        }
        unsigned char c = (unsigned char)text[i];
        if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == '\r') out += "\\r";
        else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "\\x%02x", c);
            out += hex;
        } else {
            out += (char)c;
        }
    }
    return out;
}

std::string Lower(std::string s)
{
    for (char &c : s) c = (char)std::tolower((unsigned char)c);
    return s;
}

std::vector<uint8_t> Utf16(const std::string &text)
{
    std::vector<uint8_t> bytes;
    for (unsigned char c : text) {
        bytes.push_back(c);
        bytes.push_back(0);
    }
    return bytes;
}

}  // namespace sim
