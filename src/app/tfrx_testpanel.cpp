// The radio test panel and the service memos. They lie right of the visible
// client area: they exist and keep their values, but the fixed window does
// not show them, so they stay out of the focus order.
#include "app/numericedit.h"
#include "app/tfrx.h"
#include "config/numbers.h"
#include "table/testpanel.h"
#include "widgetkit/widgetkit.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace tovrix {

namespace {

QString text(int width, std::int64_t number) {
    return QString::fromStdString(setString(width, number));
}

// A half's value as the field shows it; fields are corrected when left, so
// this only guards against a text that has not been left yet.
int nibbleShown(const NumericEdit* field) {
    const auto value = parseNumber64(field->text().toStdString()).value_or(0);
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, 15));
}

NumericEdit* testField(QWidget* panel, const QString& name, int width, const QRect& geometry,
                       const QColor& colour) {
    auto* field = new NumericEdit(panel, name, width, text(width, 0));
    field->setGeometry(geometry);
    field->setFont(pixelFont(QStringLiteral("Courier New"), 13, true));
    setTextColour(field, colour);
    return field;
}

}  // namespace

void TFRX::buildTestPanel() {
    QFrame* panel = makePanel(client, "Testpanel", QRect(840, 40, 233, 73), Qt::white);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    const QColor green(0, 128, 0);
    for (int n = 1; n <= 4; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        const int x = 6 + 57 * (n - 1);
        if (n <= 3) {
            THH[i] =
                testField(panel, QStringLiteral("TH%1H").arg(n), 2, QRect(x, 4, 24, 20), green);
            THL[i] = testField(panel, QStringLiteral("TH%1L").arg(n), 2, QRect(x + 26, 4, 24, 20),
                               green);
        }
        TD[i] = testField(panel, QStringLiteral("TD%1").arg(n), 3, QRect(x + 4, 27, 42, 20),
                          n <= 3 ? QColor(Qt::black) : QColor(128, 128, 128));
        makeLabel(panel, "", QStringLiteral("B%1").arg(n), QRect(x + 4, 50, 42, 18))
            ->setAlignment(Qt::AlignCenter);
    }
    // Keyboard order: the halves first, then the bytes.
    QWidget* previous = nullptr;
    for (QWidget* field : {static_cast<QWidget*>(THH[0]), static_cast<QWidget*>(THL[0]),
                           static_cast<QWidget*>(THH[1]), static_cast<QWidget*>(THL[1]),
                           static_cast<QWidget*>(THH[2]), static_cast<QWidget*>(THL[2]),
                           static_cast<QWidget*>(TD[0]), static_cast<QWidget*>(TD[1]),
                           static_cast<QWidget*>(TD[2]), static_cast<QWidget*>(TD[3])}) {
        if (previous) {
            setTabOrder(previous, field);
        }
        previous = field;
    }

    BTeststring = placed(new QPushButton(QStringLiteral("HF-Teststring"), client), "BTeststring",
                         QRect(840, 116, 233, 33));

    TM = placed(new QPlainTextEdit(client), "TM", QRect(829, 152, 121, 489));
    TM->setReadOnly(true);
    TM->setPlainText(QStringLiteral("Testfenster"));
    sysmemo = placed(new QPlainTextEdit(client), "sysmemo", QRect(952, 152, 145, 489));
    sysmemo->setFont(pixelFont(QStringLiteral("Courier New"), 13, false));
}

void TFRX::connectTestPanel() {
    const auto wire = [this](NumericEdit* field, std::function<void()> exit) {
        connectNumericEntry(field, this, std::move(exit));
    };
    for (int n = 1; n <= 3; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        wire(TD[i], [this, n] { TDExit(n); });
        wire(THH[i], [this, n] { THExit(n, true); });
        wire(THL[i], [this, n] { THExit(n, false); });
        // Typing, and every rewrite below, keeps B4 the sum of B1..B3.
        connect(TD[i], &QLineEdit::textChanged, this, &TFRX::TDChange);
    }
    wire(TD[3], [this] { TD4Exit(); });
}

void TFRX::showTestByte(int n, int value) {
    const auto i = static_cast<std::size_t>(n - 1);
    TD[i]->setText(text(3, value));
    const Nibbles halves = splitByte(value);
    THH[i]->setText(text(2, halves.high));
    THL[i]->setText(text(2, halves.low));
}

void TFRX::TDExit(int n) {
    const auto i = static_cast<std::size_t>(n - 1);
    showTestByte(n, static_cast<int>(checkin(TD[i]->text().toStdString(), 255)));
}

void TFRX::THExit(int n, bool high) {
    const auto i = static_cast<std::size_t>(n - 1);
    NumericEdit* left = high ? THH[i] : THL[i];
    left->setText(text(2, checkin(left->text().toStdString(), 15)));
    TD[i]->setText(text(3, joinNibbles(nibbleShown(THH[i]), nibbleShown(THL[i]))));
}

void TFRX::TD4Exit() {
    TD[3]->setText(text(3, checkin(TD[3]->text().toStdString(), 255)));
}

void TFRX::TDChange() {
    TD[3]->setText(text(3, testChecksum(TD[0]->text().toStdString(), TD[1]->text().toStdString(),
                                        TD[2]->text().toStdString())));
}

}  // namespace tovrix
