#include "runtime/codepage.h"
#include "runtime/csv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using runtime::CsvEncoding;
using runtime::gbk;

struct CsvCase {
    const char* name;
    std::vector<std::string> fields; // GBK
    CsvEncoding encoding;
    std::string expected; // the whole file
};

const std::string kBom = "\xEF\xBB\xBF";

class CsvTest : public testing::TestWithParam<CsvCase> {};

TEST_P(CsvTest, WritesTheRowAsASpreadsheetReadsIt) {
    const CsvCase& c = GetParam();
    runtime::CsvWriter csv(c.encoding);
    const std::vector<std::string_view> fields(c.fields.begin(), c.fields.end());
    csv.addRow(fields);
    EXPECT_EQ(csv.bytes(), c.expected);
    EXPECT_EQ(csv.rows(), 1U);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CsvTest,
    testing::Values(CsvCase{"PlainFieldsAfterTheByteOrderMark",
                            {"A1.01", "12:00"},
                            CsvEncoding::Utf8WithBom,
                            kBom + "A1.01,12:00\r\n"},
                    CsvCase{"ChineseInUtf8",
                            {gbk("深圳.1"), gbk("未做TG")},
                            CsvEncoding::Utf8WithBom,
                            kBom + "深圳.1,未做TG\r\n"},
                    CsvCase{"ChineseKeptInGbk",
                            {gbk("深圳.1"), gbk("未做TG")},
                            CsvEncoding::Gbk,
                            gbk("深圳.1,未做TG\r\n")},
                    CsvCase{"CommaQuoteAndLineBreaksAreQuoted",
                            {"a,b", "say \"hi\"", "two\r\nlines", "cr\ronly"},
                            CsvEncoding::Gbk,
                            "\"a,b\",\"say \"\"hi\"\"\",\"two\r\nlines\",\"cr\ronly\"\r\n"},
                    CsvCase{"FormulaStartsAreDefused",
                            {"=SUM(A1)", "+1", "-5", "@cmd", "a=b"},
                            CsvEncoding::Gbk,
                            "'=SUM(A1),'+1,'-5,'@cmd,a=b\r\n"},
                    CsvCase{"ADefusedFieldIsStillQuotedWhenItMustBe",
                            {"=1,2"},
                            CsvEncoding::Gbk,
                            "\"'=1,2\"\r\n"},
                    // "乚" is 0x81 0x5D in GBK: its trail byte is no field separator or quote.
                    CsvCase{"GbkTrailBytesNeverLookLikeSeparators",
                            {gbk("卡池乚"), ""},
                            CsvEncoding::Gbk,
                            gbk("卡池乚,\r\n")}),
    [](const testing::TestParamInfo<CsvCase>& info) { return std::string(info.param.name); });

} // namespace
