#pragma once

#include <QString>

#include <memory>

class QTranslator;

namespace tovrix {

// Qt's own texts (the file dialogs' labels and buttons, the message boxes'
// buttons, the edit fields' context menus) in the language of the settings
// file: German for "deutsch", Qt's own English for anything else. The
// window's captions do not come from Qt and stay as they are.
class QtTranslation {
  public:
    QtTranslation();
    ~QtTranslation();
    QtTranslation(const QtTranslation&) = delete;
    QtTranslation& operator=(const QtTranslation&) = delete;

    // Installs or removes Qt's German translation. Without the translation
    // files on the machine (Debian: qt6-translations-l10n) Qt stays English.
    void apply(const QString& language);
    bool german() const { return translator_ != nullptr; }

  private:
    std::unique_ptr<QTranslator> translator_;
};

}  // namespace tovrix
