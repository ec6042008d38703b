// The window's fixed frame: version panels, page control, info line, gauge,
// status bar, the hidden helpers and the timers; the view that scrolls the
// client area when the screen is too small for it (the status bar stays
// below the view, always in sight).
#include "app/numericedit.h"
#include "app/tfrx.h"
#include "app/viewportfit.h"
#include "widgetkit/widgetkit.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>

namespace tovrix {

namespace {

constexpr int kClientWidth = 810;
// The 734 pixels below the menu bar: the scrolling part above, the status
// bar below it, where no screen can scroll it out of sight.
constexpr int kStatusBarHeight = 20;
constexpr int kClientHeight = 734 - kStatusBarHeight;
const QColor kPanelColour(231, 228, 203);

QFrame* versionPanel(QWidget* parent, const char* name, int y, QLabel*& caption,
                     const char* captionName, const QString& captionText, QLabel*& value,
                     const char* valueName, const QString& valueText) {
    QFrame* panel = makePanel(parent, name, QRect(608, y, 185, 20), kPanelColour);
    caption = makeLabel(panel, captionName, captionText, QRect(8, 0, 110, 20));
    value = makeLabel(panel, valueName, valueText, QRect(120, 0, 60, 20));
    return panel;
}

}  // namespace

void TFRX::buildFrame() {
    client = new QWidget;
    client->setObjectName(QStringLiteral("FRXclient"));
    client->setFixedSize(kClientWidth, kClientHeight);
    setBackground(client, Qt::white);
    // The client area sits in a view that is exactly as large where the
    // screen has room for it, and scrolls where it has not (a small screen,
    // a large scale factor).
    clientView = new QScrollArea(this);
    clientView->setObjectName(QStringLiteral("FRXview"));
    clientView->setFrameShape(QFrame::NoFrame);
    // The view only holds the page; Tab goes to the controls on it.
    clientView->setFocusPolicy(Qt::NoFocus);
    clientView->setWidget(client);
    setCentralWidget(clientView);
    fitClientToScreen();
    // Where the view scrolls, the control that takes the keyboard focus
    // comes into sight, whichever way it got the focus.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && client->isAncestorOf(now)) {
            clientView->ensureWidgetVisible(now);
        }
    });

    PPage = placed(new QTabWidget(client), "PPage", QRect(8, 48, 793, 593));
    Pbasic = new QWidget;
    Pbasic->setObjectName(QStringLiteral("Pbasic"));
    Pstring = new QWidget;
    Pstring->setObjectName(QStringLiteral("Pstring"));
    PPage->addTab(Pbasic, QStringLiteral("   Grundeinstellung   "));
    PPage->addTab(Pstring, QStringLiteral("   Ausgabetabelle   "));
    setBackground(Pbasic, Qt::white);
    setBackground(Pstring, Qt::white);

    // The panels sit over the empty right end of the page control's tab row.
    VersionPanel = versionPanel(client, "VersionPanel", 10, VLabel, "VLabel",
                                QStringLiteral("Software-Version"), Version, "Version",
                                QStringLiteral("1.05"));
    FirmwarePanel =
        versionPanel(client, "FirmwarePanel", 40, LFirmware, "LFirmware",
                     QStringLiteral("Firmware:"), Firmware, "Firmware", QStringLiteral("11.1"));
    VersionPanel->raise();
    FirmwarePanel->raise();

    info = makeLabel(client, "info", QStringLiteral("info-Zeile"), QRect(72, 660, 665, 16));
    info->setAlignment(Qt::AlignCenter);
    info->setFont(pixelFont(QStringLiteral("MS Sans Serif"), 13, true));
    setInfoColour(Qt::black);

    GaugePanel = makePanel(client, "GaugePanel", QRect(0, 680, 809, 25), Qt::white);
    Gauge = placed(new QProgressBar(GaugePanel), "Gauge", QRect(72, 4, 665, 17));
    Gauge->setRange(0, 100);
    Gauge->setValue(0);
    setBackground(Gauge, Qt::yellow);
    QPalette bar = Gauge->palette();
    bar.setColor(QPalette::Highlight, Qt::blue);
    Gauge->setPalette(bar);
    Gauge->hide();

    SB1 = new QStatusBar(this);
    SB1->setObjectName(QStringLiteral("SB1"));
    SB1->setFixedHeight(kStatusBarHeight);
    SB1->setSizeGripEnabled(false);
    setBackground(SB1, Qt::white);
    setStatusBar(SB1);
    SB1Panel0 = new QLabel(SB1);
    SB1Panel0->setObjectName(QStringLiteral("SB1Panel0"));
    SB1Panel0->setAlignment(Qt::AlignCenter);
    SB1Panel0->setMinimumWidth(120);
    SB1Panel1 = new QLabel(SB1);
    SB1Panel1->setObjectName(QStringLiteral("SB1Panel1"));
    SB1Panel1->setAlignment(Qt::AlignCenter);
    for (QLabel* panel : {SB1Panel0, SB1Panel1}) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    SB1Modified = new QLabel(SB1);
    SB1Modified->setObjectName(QStringLiteral("SB1Modified"));
    SB1Modified->setAlignment(Qt::AlignCenter);
    SB1Modified->setMinimumWidth(80);
    SB1Modified->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    SB1->addWidget(SB1Panel0);
    SB1->addWidget(SB1Panel1, 1);
    SB1->addWidget(SB1Modified);

    // Hidden helpers: the selected port as text, the line buffer of the file
    // commands and the test value that travels in the table image.
    Lsavecom = makeLabel(client, "Lsavecom", QStringLiteral("1"), QRect(8, 8, 40, 16));
    Lsavecom->hide();
    Memo1 = placed(new QPlainTextEdit(client), "Memo1", QRect(8, 8, 100, 60));
    Memo1->hide();
    TestFeld = new NumericEdit(client, QStringLiteral("TestFeld"), 3, QStringLiteral("100"));
    TestFeld->setGeometry(60, 8, 40, 20);
    TestFeld->hide();

    inittimer = new QTimer(this);
    inittimer->setObjectName(QStringLiteral("inittimer"));
    inittimer->setInterval(100);
    connect(inittimer, &QTimer::timeout, this, &TFRX::inittimerTimer);
    // The transfer watchdog and the reset timer are driven by the transfer code.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    resettimer = new QTimer(this);
    resettimer->setObjectName(QStringLiteral("resettimer"));
    resettimer->setInterval(200);
}

void TFRX::fitClientToScreen() {
    const QScreen* shownOn = screen();
    if (shownOn == nullptr) {
        return;
    }
    // The room the screen leaves for the client area: its available part
    // less the window frame and the menu bar. The frame is known once the
    // window is shown; until then a title bar's height stands in for it.
    QSize frame = frameGeometry().size() - size();
    if (frame.isNull()) {
        frame = QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    }
    QSize room = shownOn->availableGeometry().size() - frame;
    room.rheight() -= menuBar()->sizeHint().height() + kStatusBarHeight;
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, clientView);
    clientView->setFixedSize(fittedViewport(client->size(), room, scrollBar));
}

void TFRX::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    fitClientToScreen();
    connect(windowHandle(), &QWindow::screenChanged, this, &TFRX::fitClientToScreen,
            Qt::UniqueConnection);
}

QString TFRX::statusPanelText(int panel) const {
    return panel == 0 ? SB1Panel0->text() : SB1Panel1->text();
}

}  // namespace tovrix
