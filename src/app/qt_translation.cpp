#include "app/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace app {

QString qtTranslationFolder() {
#ifdef _WIN32
    return QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
#else
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#endif
}

std::unique_ptr<QTranslator> installQtTranslation(const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder) ||
        !QCoreApplication::installTranslator(translator.get())) {
        return nullptr;
    }
    return translator;
}

} // namespace app
