#include "dialogs/helpform.h"

#include "config/beep.h"
#include "config/maker.h"
#include "dialogs/manuals.h"
#include "dialogs/windowplacement.h"
#include "widgetkit/widgetkit.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <utility>

namespace tovrix {

namespace {

constexpr int kClientWidth = 721;
constexpr int kClientHeight = 534;

const QColor kContactGreen(0, 128, 0);

QFont formFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    return font;
}

// The manuals are laid out in columns with framed header and footer, so they
// need a fixed-pitch face.
QFont manualFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(13);
    return font;
}

QPlainTextEdit* makeManualMemo(QWidget* parent, const char* name, int top, const QString& text) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setGeometry(16, top, 689, 361);
    memo->setReadOnly(true);
    memo->setFont(manualFont());
    // Lines are kept short enough for the memo; wrapping would break the frames.
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setPlainText(text);
    return memo;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geometry, const QColor& colour) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

}  // namespace

Thelpform::Thelpform(QWidget* parent)
    : QDialog(parent),
      openUrl_([](const QUrl& address) { return QDesktopServices::openUrl(address); }) {
    setObjectName(QStringLiteral("helpform"));
    setWindowTitle(QStringLiteral("Hilfe zu Funksystem-Konfiguration"));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(formFont());

    setWindowColour(this, Qt::white);

    buildManuals();
    buildContactBlock();
    buildHomepagePanel();

    closebutton = new QPushButton(QStringLiteral("o.k."), this);
    closebutton->setObjectName(QStringLiteral("closebutton"));
    closebutton->setGeometry(0, kClientHeight - 25, kClientWidth, 25);
    connect(closebutton, &QPushButton::clicked, this, &Thelpform::closebuttonClick);

    fillContactBlock();
    centreOnDesktop(this);
}

void Thelpform::buildManuals() {
    MemoD = makeManualMemo(this, "MemoD", 8, manualText(ManualLanguage::German));
    // The English manual is kept in the window but nothing shows it.
    MemoE = makeManualMemo(this, "MemoE", 16, manualText(ManualLanguage::English));
    MemoE->hide();
}

void Thelpform::buildContactBlock() {
    Lkontakt = makeLabel(this, "Lkontakt", QRect(16, 384, 300, 16), Qt::black);
    Lkontakt->setText(QStringLiteral("HerstellerKontakt / SoftwareUpdates:"));

    Firma = makeLabel(this, "Firma", QRect(16, 408, 236, 16), kContactGreen);
    strasse = makeLabel(this, "strasse", QRect(16, 426, 236, 16), kContactGreen);
    ort = makeLabel(this, "ort", QRect(16, 444, 236, 16), kContactGreen);
    tel = makeLabel(this, "tel", QRect(268, 408, 236, 16), kContactGreen);
    fax = makeLabel(this, "fax", QRect(268, 426, 236, 16), kContactGreen);
    email = makeLabel(this, "email", QRect(268, 444, 236, 16), kContactGreen);

    Label9 = makeLabel(this, "Label9", QRect(16, 480, 200, 16), Qt::black);
    Label9->setText(QStringLiteral("v1.05 - 11/2007"));
}

void Thelpform::buildHomepagePanel() {
    homepage = new QFrame(this);
    homepage->setObjectName(QStringLiteral("homepage"));
    homepage->setGeometry(528, 400, 177, 57);
    homepage->setFrameStyle(QFrame::Panel | QFrame::Raised);
    homepage->setLineWidth(1);
    homepage->setToolTip(QStringLiteral("ein Doppelklick öffnet die Homepage"));
    homepage->setCursor(Qt::PointingHandCursor);

    QFont bold = formFont();
    bold.setBold(true);

    Label6 = makeLabel(homepage, "Label6", QRect(2, 10, 173, 16), kContactGreen);
    url = makeLabel(homepage, "url", QRect(2, 30, 173, 16), kContactGreen);
    Label6->setText(QStringLiteral("homepage:"));
    for (QLabel* label : {Label6, url}) {
        label->setFont(bold);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        // The labels show the panel's hint too, so the whole panel explains itself.
        label->setToolTip(homepage->toolTip());
    }

    // A double-click on the panel or on either label opens the home page.
    for (QWidget* target : {static_cast<QWidget*>(homepage), static_cast<QWidget*>(Label6),
                            static_cast<QWidget*>(url)}) {
        target->installEventFilter(this);
    }
}

void Thelpform::fillContactBlock() {
    Firma->setText(QString::fromUtf8(maker::kCompany));
    strasse->setText(QString::fromUtf8(maker::kStreet));
    ort->setText(QString::fromUtf8(maker::kTown));
    tel->setText(QString::fromUtf8(maker::kTelephone));
    fax->setText(QString::fromUtf8(maker::kFax));
    email->setText(QString::fromUtf8(maker::kEmail));
    url->setText(QString::fromUtf8(maker::kHomePage));
}

Thelpform::UrlOpener Thelpform::setUrlOpener(UrlOpener opener) {
    return std::exchange(openUrl_, std::move(opener));
}

QUrl Thelpform::homepageUrl() const {
    return QUrl(QStringLiteral("http://") + url->text());
}

void Thelpform::closebuttonClick() {
    close();
}

void Thelpform::homepageDblClick() {
    beep();
    // A desktop without a browser simply shows nothing; the help window has
    // no place to report it.
    if (openUrl_) {
        openUrl_(homepageUrl());
    }
}

bool Thelpform::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick &&
        (watched == homepage || watched == Label6 || watched == url)) {
        homepageDblClick();
        // Consumed here so that a double-click on a label is not handled a
        // second time by the panel beneath it.
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tovrix
