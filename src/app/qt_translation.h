#pragma once
// Qt's own Simplified Chinese texts: the standard buttons ("确定", "取消", "是", "否"), the input
// and file dialogs and the line-edit menu read like the rest of the window.

#include <QString>
#include <QTranslator>

#include <memory>

namespace app {

// translations/ beside the executable on Windows (the packages ship it there), Qt's own
// translations folder elsewhere.
QString qtTranslationFolder();

// Loads qtbase_zh_CN.qm from the folder and installs it into the running application; the
// translator stays installed while the returned object lives. nullptr when the file is missing
// or unreadable: Qt's texts then stay English and nothing else changes.
std::unique_ptr<QTranslator> installQtTranslation(const QString& folder = qtTranslationFolder());

} // namespace app
