#include "runtime/csv.h"

#include "runtime/codepage.h"

namespace runtime {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool startsLikeAFormula(std::string_view field) {
    return !field.empty() &&
           (field[0] == '=' || field[0] == '+' || field[0] == '-' || field[0] == '@');
}

// GBK's trail bytes never take the values of ",", "\"", CR or LF (they start at 0x40), so a
// byte search cannot be fooled by half a character.
bool needsQuotes(std::string_view field) {
    return field.find_first_of(",\"\r\n") != std::string_view::npos;
}

} // namespace

CsvWriter::CsvWriter(CsvEncoding encoding) : m_encoding(encoding) {
    if (encoding == CsvEncoding::Utf8WithBom) {
        m_bytes = kUtf8ByteOrderMark;
    }
}

void CsvWriter::addRow(std::span<const std::string_view> gbkFields) {
    bool first = true;
    for (const std::string_view field : gbkFields) {
        if (!first) {
            m_bytes += ',';
        }
        first = false;
        addField(field);
    }
    m_bytes += "\r\n";
    ++m_rows;
}

void CsvWriter::addField(std::string_view gbkField) {
    m_field.clear();
    if (startsLikeAFormula(gbkField)) {
        m_field += '\'';
    }
    m_field += gbkField;
    const std::string encoded =
        m_encoding == CsvEncoding::Utf8WithBom ? gbkToUtf8(m_field) : std::string();
    const std::string_view out = m_encoding == CsvEncoding::Utf8WithBom ? std::string_view(encoded)
                                                                        : std::string_view(m_field);
    if (!needsQuotes(out)) {
        m_bytes += out;
        return;
    }
    m_bytes += '"';
    for (const char byte : out) {
        if (byte == '"') {
            m_bytes += '"';
        }
        m_bytes += byte;
    }
    m_bytes += '"';
}

} // namespace runtime
