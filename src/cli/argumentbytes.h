#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

namespace tovrix::cli {

// Arguments are bytes, and a file name need not be UTF-8. The parser works
// on text, so a byte that is no part of valid UTF-8 travels as the code
// point U+DC00 + byte (a lone surrogate, which no valid UTF-8 decodes to)
// and becomes that byte again in the file name.
QString argumentText(std::string_view bytes);
std::string argumentBytes(const QString& text);

// The program's arguments as text that gives back their bytes.
QStringList argumentList(int argc, const char* const* argv);

}  // namespace tovrix::cli
