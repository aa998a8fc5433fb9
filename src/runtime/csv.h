#pragma once
// Rows written as CSV (RFC 4180): fields separated by ",", rows ended by CRLF, a field that holds
// a comma, a quote, CR or LF quoted with its quotes doubled. A field that starts with "=", "+",
// "-" or "@" gets a leading "'" so that a spreadsheet shows it instead of running it as a
// formula. The fields come in GBK; the bytes go out in UTF-8 after a byte order mark (what a
// spreadsheet needs to read Chinese text in a .csv) or in GBK as they are.

#include "runtime/text.h"

#include <span>
#include <string>
#include <string_view>

namespace runtime {

enum class CsvEncoding { Utf8WithBom, Gbk };

class CsvWriter final {
public:
    explicit CsvWriter(CsvEncoding encoding);

    // Room for about this many bytes, so a large export grows its buffer once.
    void reserve(std::size_t bytes) { m_bytes.reserve(bytes); }
    void addRow(std::span<const std::string_view> gbkFields);
    const std::string& bytes() const { return m_bytes; }
    std::size_t rows() const { return m_rows; }

private:
    void addField(std::string_view gbkField);

    CsvEncoding m_encoding;
    std::string m_bytes;
    std::string m_field; // one buffer for every field's guarded form
    std::size_t m_rows = 0;
};

} // namespace runtime
