#pragma once
// GBK texts at the widget border, converted through the runtime's code-page functions.

#include "runtime/text.h"

#include <QString>

#include <filesystem>
#include <string_view>

namespace app {

QString toQString(std::string_view gbk);
runtime::Text toGbk(const QString& text);
// Layout names and other UTF-8 source literals.
QString fromUtf8(std::string_view utf8);
// A file name a dialog returned, as the file system spells it.
std::filesystem::path filePathOf(const QString& file);

} // namespace app
