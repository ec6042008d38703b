#include "dialogs/fask.h"

#include "dialogs/windowplacement.h"
#include "widgetkit/widgetkit.h"

#include <QEvent>
#include <QPushButton>
#include <QTextEdit>
#include <QTextOption>

namespace tovrix {

bool askanswer = false;

namespace {

QFont questionFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(15);
    font.setBold(true);
    return font;
}

QPushButton* makeAnswerButton(QWidget* parent, const char* name, int left) {
    auto* button = new QPushButton(QString::fromLatin1(name), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, 116, 169, 33);
    button->setFont(questionFont());
    // Enter presses whichever answer holds the focus.
    button->setAutoDefault(true);
    return button;
}

}  // namespace

TFask::TFask(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Fask"));
    setWindowTitle(QStringLiteral("Fask"));
    setFixedSize(369, 170);
    QFont form(QStringLiteral("MS Sans Serif"));
    form.setPixelSize(11);
    setFont(form);

    const QColor yellow(255, 255, 0);
    setWindowColour(this, yellow);

    M = new QTextEdit(this);
    M->setObjectName(QStringLiteral("M"));
    M->setGeometry(16, 8, 337, 57);
    M->setFrameShape(QFrame::NoFrame);
    M->setFont(questionFont());
    M->setAcceptRichText(false);
    M->setReadOnly(true);
    M->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    M->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette memoPalette = M->palette();
    memoPalette.setColor(QPalette::Base, yellow);
    memoPalette.setColor(QPalette::Text, Qt::red);
    M->setPalette(memoPalette);
    // The alignment belongs to the document, so every line a caller adds
    // later is centred as well, whichever way it is added.
    QTextOption centred = M->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    M->document()->setDefaultTextOption(centred);
    M->setPlainText(QStringLiteral("M"));
    M->installEventFilter(this);

    JA = makeAnswerButton(this, "JA", 12);
    NEIN = makeAnswerButton(this, "NEIN", 188);
    connect(JA, &QPushButton::clicked, this, &TFask::JAClick);
    connect(NEIN, &QPushButton::clicked, this, &TFask::NEINClick);

    // Tab runs JA -> question -> NEIN, and the question hands the focus on.
    setTabOrder(JA, M);
    setTabOrder(M, NEIN);

    centreOnDesktop(this);
}

bool TFask::ask(const QStringList& lines, Preset preset) {
    M->setPlainText(lines.join(QLatin1Char('\n')));
    preset_ = preset;
    exec();
    preset_ = Preset::ja;
    return askanswer;
}

void TFask::FormActivate() {
    askanswer = false;
    (preset_ == Preset::nein ? NEIN : JA)->setFocus(Qt::ActiveWindowFocusReason);
}

void TFask::JAClick() {
    askanswer = true;
    accept();
}

void TFask::NEINClick() {
    askanswer = false;
    reject();
}

void TFask::MEnter() {
    NEIN->setFocus(Qt::OtherFocusReason);
}

void TFask::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

bool TFask::eventFilter(QObject* watched, QEvent* event) {
    if (watched == M && event->type() == QEvent::FocusIn) {
        MEnter();
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tovrix
