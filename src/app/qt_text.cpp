#include "app/qt_text.h"

#include "runtime/codepage.h"

namespace app {

QString toQString(std::string_view gbk) {
    return QString::fromStdU16String(runtime::gbkToUtf16(gbk));
}

runtime::Text toGbk(const QString& text) {
    return runtime::utf16ToGbk(text.toStdU16String());
}

QString fromUtf8(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::filesystem::path filePathOf(const QString& file) {
#ifdef _WIN32
    return std::filesystem::path(file.toStdWString());
#else
    return std::filesystem::path(file.toLocal8Bit().toStdString());
#endif
}

} // namespace app
