#include "cli/argumentbytes.h"

#include <optional>

namespace tovrix::cli {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The code point of the valid UTF-8 sequence at the start of bytes, and its
// length; nothing for an invalid, overlong or surrogate sequence.
std::optional<std::pair<char32_t, std::size_t>> decodeOne(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        return std::pair{char32_t{lead}, std::size_t{1}};
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (bytes.size() < length) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (!continuation(byte)) {
            return std::nullopt;
        }
        value = (value << 6) | (byte & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return std::nullopt;
    }
    return std::pair{value, length};
}

void appendUtf8(std::string& out, char32_t value) {
    if (value < 0x80) {
        out += static_cast<char>(value);
    } else if (value < 0x800) {
        out += static_cast<char>(0xC0 | (value >> 6));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        out += static_cast<char>(0xE0 | (value >> 12));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (value >> 18));
        out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
}

}  // namespace

QString argumentText(std::string_view bytes) {
    QString text;
    while (!bytes.empty()) {
        if (const auto decoded = decodeOne(bytes)) {
            const char32_t value = decoded->first;
            text.append(QString::fromUcs4(&value, 1));
            bytes.remove_prefix(decoded->second);
        } else {
            text.append(
                QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[0]))));
            bytes.remove_prefix(1);
        }
    }
    return text;
}

std::string argumentBytes(const QString& text) {
    std::string out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            ++i;
        } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
            out += static_cast<char>(unit - kEscapeBase);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

QStringList argumentList(int argc, const char* const* argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i) {
        list << argumentText(argv[i]);
    }
    return list;
}

}  // namespace tovrix::cli
