#include "app/transferbutton.h"

#include "widgetkit/widgetkit.h"

#include <QFrame>
#include <QPainter>
#include <QPen>

namespace tovrix {

namespace {

const QColor kYellow(255, 255, 0);
const QColor kMaroon(128, 0, 0);
const QColor kPaleYellow(255, 255, 204);
const QColor kGrey(128, 128, 128);
constexpr int kFocusInset = 5;
constexpr int kFocusWidth = 2;

}  // namespace

TransferButton::TransferButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    setFont(pixelFont(QStringLiteral("Arial"), 16, true));
    QPalette colours = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Button, kYellow);
        colours.setColor(group, QPalette::ButtonText, kMaroon);
    }
    colours.setColor(QPalette::Disabled, QPalette::Button, kPaleYellow);
    colours.setColor(QPalette::Disabled, QPalette::ButtonText, kGrey);
    setPalette(colours);
}

void TransferButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (!hasFocus()) {
        return;
    }
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::ButtonText), kFocusWidth));
    painter.drawRect(QRectF(rect()).adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset));
}

TransferButton* makeTransferButton(QWidget* page, const char* name, const QString& caption, int x,
                                   int y) {
    QFrame* panel = makePanel(page, "", QRect(x, y, 385, 50), kYellow);
    return placed(new TransferButton(caption, panel), name, QRect(4, 4, 377, 42));
}

}  // namespace tovrix
