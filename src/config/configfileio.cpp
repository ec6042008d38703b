#include "config/configfileio.h"

#include "config/textlines.h"

#include <QFile>
#include <QSaveFile>

namespace tovrix {

bool saveConfigurationFile(const std::string& path, const ConfData& conf, const ImageBytes& image,
                           int comNumber, std::string_view firmwareText) {
    const std::string text = joinLines(buildConfigFile(conf, image, comNumber, firmwareText));
    // The bytes go to a temporary file beside the target, which takes the
    // target's name only when everything was written.
    QSaveFile file(QString::fromLocal8Bit(path.c_str()));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const auto size = static_cast<qint64>(text.size());
    if (file.write(text.data(), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

FileLoadResult loadConfigurationFile(const std::string& path, ConfData& conf, ImageBytes& image,
                                     FileLoadDetails* details) {
    FileLoadDetails found;
    const FileLoadResult result = [&] {
        QFile file(QString::fromLocal8Bit(path.c_str()));
        if (!file.open(QIODevice::ReadOnly)) {
            found.readError = file.errorString().toStdString();
            return FileLoadResult::unreadable;
        }
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            found.readError = file.errorString().toStdString();
            return FileLoadResult::unreadable;
        }
        const auto lines =
            splitLines(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        found.content = loadConfigFile(lines, conf, image);
        return found.content.error == LoadError::None ? FileLoadResult::loaded
                                                      : FileLoadResult::rejected;
    }();
    if (details != nullptr) {
        *details = std::move(found);
    }
    return result;
}

}  // namespace tovrix
