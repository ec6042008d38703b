#include "app/tfrx.h"

#include "app/infotext.h"
#include "app/linkadapters.h"
#include "app/settingsfile.h"
#include "app/startupreport.h"
#include "dialogs/helpform.h"
#include "dialogs/windowplacement.h"
#include "link/transfersequence.h"
#include "ports/portmonitor.h"
#include "serial/exceptiondisplay.h"
#include "widgetkit/widgetkit.h"

#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <unistd.h>

#include <climits>
#include <exception>
#include <string>

namespace tovrix {

namespace {

// The process's working directory as the system gives it (bytes, not text).
std::string currentDirectory() {
    std::string buffer(PATH_MAX, '\0');
    if (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        return {};
    }
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return buffer;
}

}  // namespace

TFRX::TFRX(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("FRX"));
    setWindowTitle(QStringLiteral(" Funkempfänger für serielle Daten- und Spannungsausgabe "));
    // Fixed single border: title, system menu, minimise and close only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(pixelFont(QStringLiteral("Arial"), 11, true));

    RS232.SetBaudRate(br19200);
    RS232.SetComNumber(1);
    RS232.SetInBufSize(8300);

    buildFrame();
    buildMenus();
    buildBasicPage();
    buildTablePage();
    buildTestPanel();
    keepControlsInReach();
    connectBasicPage();
    connectTablePage();
    connectTestPanel();
    connectTransfers();
    connectFileMenu();
    // The window takes exactly the size of its menu bar and client area.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // The menu reports its first change while the window is built; the port
    // probe runs before the creation step.
    MainMenu1Change();
    watchPorts();
    FormCreate();
}

TFRX::~TFRX() {
    // No receive event may reach a window that is going away, and errors of
    // later port events go back to the default display.
    RS232.OnDataRecived = nullptr;
    RS232.OnHangUp = nullptr;
    setExceptionDisplay({});
    try {
        RS232.Close();
    } catch (const std::exception&) {
        // nothing left to report to
    }
}

void TFRX::FormCreate() {
    language = QStringLiteral("deutsch");
    // The settings file stays where the program was started, even when a
    // new file re-runs this step after the dialogs have changed directory.
    if (inipath.empty()) {
        inipath = currentDirectory() + "/" + kSettingsFileName;
    }
    resetConfigBlock(confdata);
    sysdata.fill(0);
    transfers_->clearTransferFlags();
    setInfo(QString());
    OpenDialogFileName = QStringLiteral("newfile.tvx");
    clearModified(true, true);
    showStatus(StatusMessage::msgstart);
    inittimer->start();
    applyPortNumber(1);
    setuptable();
    setBackground(Bselect, QColor(255, 255, 172));
    setTextColour(Bselect, QColor(128, 0, 128));
}

void TFRX::inittimerTimer() {
    inittimer->stop();
    if (helpform) {
        helpform->fillContactBlock();
    }
    applySettingsFile();
    setlanguage();
    showdata();
    LeseButton->setFocus();
    reportStartupIfAsked(focusWidget(), statusPanelText(0), statusPanelText(1));
}

void TFRX::applySettingsFile() {
    const auto lines = readTextLines(inipath);
    if (!lines) {
        return;
    }
    const SettingsRead read = parseSettingsFile(*lines);
    if (read.language) {
        language = QString::fromStdString(*read.language);
    }
    if (read.directory && ::chdir(read.directory->c_str()) != 0) {
        // A folder that no longer exists leaves the start folder current.
    }
    if (read.port) {
        Lsavecom->setText(QString::number(*read.port));
        applyPortNumber(selectedPort());
        // The first probe took COM1 for the selected port, which is never
        // greyed out; with the choice known, every item shows what it is.
        MainMenu1Change();
    }
    if (read.baudCode) {
        confdata[conf::kBaudCode] = *read.baudCode;
    }
    if (read.lockoutTime) {
        confdata[conf::kLockoutTime] = *read.lockoutTime;
    }
    // A stored position is taken only where the window can still be reached
    // (a screen may have gone since); otherwise the system's place stays, and
    // that is what the next exit stores.
    if (read.mainLeft || read.mainTop) {
        moveToStoredPosition(this, QPoint(read.mainLeft.value_or(x()), read.mainTop.value_or(y())));
    }
    if (helpform && (read.helpLeft || read.helpTop)) {
        moveToStoredPosition(helpform, QPoint(read.helpLeft.value_or(helpform->x()),
                                              read.helpTop.value_or(helpform->y())));
    }
}

void TFRX::FormClose() {
    try {
        RS232.Close();
    } catch (...) {
        // Leaving the program: a port that does not close cleanly changes nothing.
    }
    SettingsState state;
    state.language = language.toStdString();
    state.directory = currentDirectory();
    state.port = RS232.ComNumber();
    state.baudCode = confdata[conf::kBaudCode];
    state.lockoutTime = confdata[conf::kLockoutTime];
    state.mainLeft = x();
    state.mainTop = y();
    if (helpform) {
        state.helpLeft = helpform->x();
        state.helpTop = helpform->y();
    }
    // A settings file that cannot be written is not worth a message at exit.
    (void)writeTextLines(inipath, buildSettingsFile(state));
}

void TFRX::MExitClick() {
    close();
}

void TFRX::MhilfeClick() {
    if (helpform) {
        helpform->exec();
    }
}

void TFRX::MspracheClick() {
    language = language == QLatin1String("deutsch") ? QStringLiteral("english")
                                                    : QStringLiteral("deutsch");
    setlanguage();
}

void TFRX::setlanguage() {
    // Every caption and message of the tool is German whatever the setting;
    // only Qt's own texts in the standard dialogs follow it.
    qtTranslation_.apply(language);
}

void TFRX::setInfo(const QString& text) {
    // A long message is shortened to what fits; the whole of it is on the
    // info line's and the status bar's tooltip.
    infoMessage_ = text;
    const QString shown = fittedInfoText(text, info->fontMetrics(), info->width());
    info->setText(shown);
    const QString whole = shown == text ? QString() : text;
    info->setToolTip(whole);
    SB1->setToolTip(whole);
}

void TFRX::setInfoColour(const QColor& colour) {
    setTextColour(info, colour);
}

QString TFRX::statusMessage(StatusMessage message) const {
    return QString::fromStdString(statusText(message));
}

void TFRX::showStatus(StatusMessage message) {
    setInfo(statusMessage(message));
}

}  // namespace tovrix
