#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QFrame;

namespace tovrix {

// The help window: the built-in manual (German shown, English kept hidden)
// and the maker's contact block with a home-page panel that opens the
// browser on a double-click.
class Thelpform : public QDialog {
    Q_OBJECT

  public:
    // Opens a web address; returns whether the desktop accepted it.
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit Thelpform(QWidget* parent = nullptr);

    // Writes the maker's company, address, numbers and home page into the
    // contact labels. The constructor does it once; the start-up step may
    // repeat it.
    void fillContactBlock();

    // Replaces the desktop's URL handler (tests use this so that no browser
    // starts). Returns the previous opener.
    UrlOpener setUrlOpener(UrlOpener opener);

    // The address a double-click on the home-page panel opens.
    QUrl homepageUrl() const;

    QPlainTextEdit* MemoD = nullptr;
    QPlainTextEdit* MemoE = nullptr;
    QLabel* Lkontakt = nullptr;
    QLabel* Firma = nullptr;
    QLabel* strasse = nullptr;
    QLabel* ort = nullptr;
    QLabel* tel = nullptr;
    QLabel* fax = nullptr;
    QLabel* email = nullptr;
    QLabel* Label9 = nullptr;
    QFrame* homepage = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* url = nullptr;
    QPushButton* closebutton = nullptr;

    void closebuttonClick();
    void homepageDblClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildManuals();
    void buildContactBlock();
    void buildHomepagePanel();

    UrlOpener openUrl_;
};

}  // namespace tovrix
