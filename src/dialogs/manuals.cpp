#include "dialogs/manuals.h"

#include <QFile>

// The manual texts are compiled into this static library. Referencing the
// resource's registration function keeps the linker from dropping it, and
// the macro must be used outside any namespace.
static void registerManualResources() {
    Q_INIT_RESOURCE(manuals);
}

namespace tovrix {

QString manualText(ManualLanguage language) {
    static const bool registered = (registerManualResources(), true);
    (void)registered;

    QFile file(language == ManualLanguage::German ? QStringLiteral(":/manuals/kurzhilfe_de.txt")
                                                  : QStringLiteral(":/manuals/quickhelp_en.txt"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

}  // namespace tovrix
