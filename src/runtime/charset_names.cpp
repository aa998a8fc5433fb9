#include "runtime/charset_names.h"

#include "runtime/text.h"

#include <array>
#include <utility>

namespace runtime {

namespace {

constexpr std::size_t kLongestName = 40;

bool isNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("-_.:+()").find(c) != std::string_view::npos;
}

std::optional<std::string_view> cleanName(std::string_view declared) {
    const auto first = declared.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    declared = declared.substr(first, declared.find_last_not_of(" \t\r\n") - first + 1);
    if (declared.size() > kLongestName) {
        return std::nullopt;
    }
    for (const char c : declared) {
        if (!isNameCharacter(c)) {
            return std::nullopt;
        }
    }
    return declared;
}

bool isGbkFamily(std::string_view name) {
    constexpr std::array names{"gb2312",      "gbk",    "x-gbk",    "cp936",  "ms936",
                               "windows-936", "euc-cn", "csgb2312", "chinese"};
    for (const char* candidate : names) {
        if (equalsIgnoreAsciiCase(name, candidate)) {
            return true;
        }
    }
    return false;
}

constexpr std::array<std::pair<const char*, unsigned>, 34> kCodePages{{
    {"utf-8", 65001},       {"utf8", 65001},        {"unicode-1-1-utf-8", 65001},
    {"gb18030", 54936},     {"big5", 950},          {"big5-hkscs", 950},
    {"cp950", 950},         {"shift_jis", 932},     {"shift-jis", 932},
    {"sjis", 932},          {"windows-31j", 932},   {"euc-jp", 20932},
    {"iso-2022-jp", 50220}, {"euc-kr", 949},        {"ks_c_5601-1987", 949},
    {"iso-8859-1", 28591},  {"latin1", 28591},      {"us-ascii", 20127},
    {"ascii", 20127},       {"iso-8859-2", 28592},  {"iso-8859-5", 28595},
    {"iso-8859-15", 28605}, {"koi8-r", 20866},      {"koi8-u", 21866},
    {"windows-1250", 1250}, {"windows-1251", 1251}, {"windows-1252", 1252},
    {"windows-1253", 1253}, {"windows-1254", 1254}, {"windows-1255", 1255},
    {"windows-1256", 1256}, {"windows-1257", 1257}, {"windows-1258", 1258},
    {"utf-16", 1200},
}};

} // namespace

std::optional<std::string> iconvCharsetName(std::string_view declared) {
    const auto name = cleanName(declared);
    if (!name) {
        return std::nullopt;
    }
    if (isGbkFamily(*name)) {
        return std::string("CP936");
    }
    return std::string(*name);
}

std::optional<unsigned> windowsCodePage(std::string_view declared) {
    const auto name = cleanName(declared);
    if (!name) {
        return std::nullopt;
    }
    if (isGbkFamily(*name)) {
        return 936U;
    }
    for (const auto& [candidate, page] : kCodePages) {
        if (equalsIgnoreAsciiCase(*name, candidate)) {
            return page;
        }
    }
    if (equalsIgnoreAsciiCase(*name, "utf-16le")) {
        return 1200U;
    }
    if (equalsIgnoreAsciiCase(*name, "utf-16be")) {
        return 1201U;
    }
    return std::nullopt;
}

} // namespace runtime
