#pragma once

#include <QString>

namespace tovrix {

enum class ManualLanguage { German, English };

// The built-in user manual in the given language, as stored in the
// program's resources (UTF-8 text, lines separated by LF).
QString manualText(ManualLanguage language);

}  // namespace tovrix
