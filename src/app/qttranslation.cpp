#include "app/qttranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tovrix {

QtTranslation::QtTranslation() = default;

// A translator removes itself from the application when it is destroyed.
QtTranslation::~QtTranslation() = default;

void QtTranslation::apply(const QString& language) {
    const bool wanted = language == QLatin1String("deutsch");
    if (wanted == german()) {
        return;
    }
    if (!wanted) {
        translator_.reset();
        return;
    }
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QStringLiteral("qtbase_de"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get())) {
        translator_ = std::move(translator);
    }
}

}  // namespace tovrix
