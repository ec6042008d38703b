// The basic-settings page's handlers and the one redraw from the block.
#include "app/numericedit.h"
#include "app/tfrx.h"
#include "config/maker.h"
#include "config/numbers.h"
#include "link/linktexts.h"
#include "widgetkit/widgetkit.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

#include <algorithm>

namespace tovrix {

namespace {

const QColor kConditionValueColour(254, 233, 234);

QString text(int width, std::int64_t number) {
    return QString::fromStdString(setString(width, number));
}

std::uint8_t selectedIndex(const QComboBox* combo) {
    // A selector without a selected item stores 255; the redraw normalises it.
    return combo->currentIndex() < 0 ? 255 : static_cast<std::uint8_t>(combo->currentIndex());
}

}  // namespace

void TFRX::connectBasicPage() {
    const auto wire = [this](NumericEdit* edit, void (TFRX::*exit)()) {
        connectNumericEntry(edit, this, [this, exit] { (this->*exit)(); });
    };
    wire(conditionValues[0], &TFRX::EB11Exit);
    wire(conditionValues[1], &TFRX::EB12Exit);
    wire(conditionValues[2], &TFRX::EB21Exit);
    wire(conditionValues[3], &TFRX::EB22Exit);
    wire(conditionValues[4], &TFRX::EB31Exit);
    wire(conditionValues[5], &TFRX::EB32Exit);
    wire(WDH, &TFRX::WDHExit);
    wire(InitString, &TFRX::InitStringExit);
    wire(Bitlaenge, &TFRX::BitlaengeExit);
    wire(Pruefanzahl, &TFRX::PruefanzahlExit);
    wire(PWMperiod, &TFRX::PWMperiodExit);
    wire(ADoffset, &TFRX::ADoffsetExit);
    wire(ADgain, &TFRX::ADgainExit);
    for (NumericEdit* edit : {Bitlaenge, Pruefanzahl, PWMperiod, ADoffset, ADgain}) {
        edit->setSelectAllOnFocus(true);
    }

    // Only the user's choices store; the redraw sets the same controls
    // without any of these firing.
    for (int i = 0; i < 6; ++i) {
        connect(conditionOperators[static_cast<std::size_t>(i)], &QComboBox::activated, this,
                [this, i] { conditionChange(i); });
    }
    connect(CBhandRTS, &QComboBox::activated, this, &TFRX::CBhandRTSChange);
    connect(CBhandCTS, &QComboBox::activated, this, &TFRX::CBhandCTSChange);
    connect(CBTXselect, &QComboBox::activated, this, &TFRX::CBTXselectChange);
    connect(Baud1200, &QRadioButton::clicked, this, [this] { BaudClick(207); });
    connect(Baud2400, &QRadioButton::clicked, this, [this] { BaudClick(103); });
    connect(Baud4800, &QRadioButton::clicked, this, [this] { BaudClick(51); });
    connect(Baud9600, &QRadioButton::clicked, this, [this] { BaudClick(25); });
    connect(Baud19200, &QRadioButton::clicked, this, [this] { BaudClick(12); });
    connect(CBinitstring, &QCheckBox::clicked, this, &TFRX::CBinitstringClick);
    connect(CBlockAD, &QCheckBox::clicked, this, &TFRX::CBlockADClick);
}

// ---- numeric fields ---------------------------------------------------------

void TFRX::commitByte(NumericEdit* edit, int index, int minimum, int maximum) {
    const ConfData before = confdata;
    const std::int64_t value = checkin(edit->text().toStdString(), 255);
    confdata[static_cast<std::size_t>(index)] =
        static_cast<std::uint8_t>(std::clamp<std::int64_t>(value, minimum, maximum));
    showdata();
    noteBlockEdit(before);
}

void TFRX::commitWord(NumericEdit* edit, int highIndex) {
    const ConfData before = confdata;
    writeWord(confdata, highIndex,
              static_cast<std::uint16_t>(checkin(edit->text().toStdString(), 65535)));
    showdata();
    noteBlockEdit(before);
}

void TFRX::EB11Exit() {
    commitByte(conditionValues[0], conf::kConditionValue[0], 0, 255);
}
void TFRX::EB12Exit() {
    commitByte(conditionValues[1], conf::kConditionValue[1], 0, 255);
}
void TFRX::EB21Exit() {
    commitByte(conditionValues[2], conf::kConditionValue[2], 0, 255);
}
void TFRX::EB22Exit() {
    commitByte(conditionValues[3], conf::kConditionValue[3], 0, 255);
}
void TFRX::EB31Exit() {
    commitByte(conditionValues[4], conf::kConditionValue[4], 0, 255);
}
void TFRX::EB32Exit() {
    commitByte(conditionValues[5], conf::kConditionValue[5], 0, 255);
}
void TFRX::WDHExit() {
    commitByte(WDH, conf::kLockoutTime, 0, 255);
}
void TFRX::InitStringExit() {
    commitByte(InitString, conf::kInitStringLine, 0, 255);
}
// Bit length 1..24, validity count and resolution have lower limits of
// their own; they correct silently after checkin's own beep (if any).
void TFRX::BitlaengeExit() {
    commitByte(Bitlaenge, conf::kBitLength, 1, 24);
}
void TFRX::PruefanzahlExit() {
    commitByte(Pruefanzahl, conf::kValidityCount, 1, 255);
}
void TFRX::PWMperiodExit() {
    commitByte(PWMperiod, conf::kResolution, 2, 255);
}
void TFRX::ADoffsetExit() {
    commitWord(ADoffset, conf::kOffsetHigh);
}
void TFRX::ADgainExit() {
    commitWord(ADgain, conf::kGainHigh);
}

// ---- selectors and boxes ------------------------------------------------------

void TFRX::conditionChange(int condition) {
    const auto i = static_cast<std::size_t>(condition);
    const ConfData before = confdata;
    confdata[static_cast<std::size_t>(conf::kConditionOperator[i])] =
        selectedIndex(conditionOperators[i]);
    showdata();
    noteBlockEdit(before);
}

void TFRX::CBhandRTSChange() {
    const ConfData before = confdata;
    confdata[conf::kRtsHandshake] = selectedIndex(CBhandRTS);
    showdata();
    noteBlockEdit(before);
}

void TFRX::CBhandCTSChange() {
    const ConfData before = confdata;
    confdata[conf::kCtsHandshake] = selectedIndex(CBhandCTS);
    showdata();
    noteBlockEdit(before);
}

void TFRX::CBTXselectChange() {
    const ConfData before = confdata;
    confdata[conf::kTransmitterType] = selectedIndex(CBTXselect);
    showdata();
    noteBlockEdit(before);
}

void TFRX::BaudClick(std::uint8_t code) {
    const ConfData before = confdata;
    confdata[conf::kBaudCode] = code;
    noteBlockEdit(before);
    emit dataEdited();
}

void TFRX::CBinitstringClick() {
    const ConfData before = confdata;
    std::uint8_t& flags = confdata[conf::kOptionFlags];
    flags = CBinitstring->isChecked() ? flags | conf::kOptionInitString
                                      : flags & ~conf::kOptionInitString;
    showdata();
    noteBlockEdit(before);
}

void TFRX::CBlockADClick() {
    const bool unlocked = CBlockAD->isChecked();
    ADoffset->setEnabled(unlocked);
    ADgain->setEnabled(unlocked);
    if (unlocked) {
        return;
    }
    // Locking again returns the analogue output to its nominal scaling.
    const ConfData before = confdata;
    writeWord(confdata, conf::kOffsetHigh, 0);
    writeWord(confdata, conf::kGainHigh, conf::kNominalGain);
    showdata();
    noteBlockEdit(before);
}

// ---- the redraw -------------------------------------------------------------

void TFRX::showdata() {
    // Operators, handshakes, transmitter type and baud code outside their
    // ranges are corrected in the block first, and the tool version stamped.
    normaliseConfigBlock(confdata);
    Version->setText(QString::fromLatin1(maker::kToolVersion));
    Firmware->setText(QString::fromStdString(firmwareText(sysdata)));

    const int port = selectedPort();
    applyPortNumber(port);
    SB1Panel1->setText(OpenDialogFileName);
    SB1Panel0->setText(QStringLiteral("COM%1").arg(port));
    portAction(port)->setChecked(true);
    markSelectedPort(port);

    for (std::size_t i = 0; i < 6; ++i) {
        const std::uint8_t op = confdata[static_cast<std::size_t>(conf::kConditionOperator[i])];
        NumericEdit* value = conditionValues[i];
        // "~" accepts any value: its comparison value is greyed out.
        const bool compares = op < conf::kOpAny;
        value->setEnabled(compares);
        setBackground(value, compares ? kConditionValueColour : QColor(Qt::white));
        conditionOperators[i]->setCurrentIndex(op);
        value->setText(text(3, confdata[static_cast<std::size_t>(conf::kConditionValue[i])]));
    }

    CBhandRTS->setCurrentIndex(confdata[conf::kRtsHandshake]);
    CBhandCTS->setCurrentIndex(confdata[conf::kCtsHandshake]);
    CBTXselect->setCurrentIndex(confdata[conf::kTransmitterType]);
    BoxStandardsender->setVisible(confdata[conf::kTransmitterType] == conf::kTransmitterStandard);

    Bitlaenge->setText(text(3, confdata[conf::kBitLength]));
    Pruefanzahl->setText(text(3, confdata[conf::kValidityCount]));
    InitString->setText(text(3, confdata[conf::kInitStringLine]));
    WDH->setText(text(3, confdata[conf::kLockoutTime]));
    PWMperiod->setText(text(3, confdata[conf::kResolution]));
    ADoffset->setText(text(5, readWord(confdata, conf::kOffsetHigh)));
    ADgain->setText(text(5, readWord(confdata, conf::kGainHigh)));

    const bool initString = (confdata[conf::kOptionFlags] & conf::kOptionInitString) != 0;
    CBinitstring->setChecked(initString);
    InitString->setEnabled(initString);

    switch (confdata[conf::kBaudCode]) {
        case 207:
            Baud1200->setChecked(true);
            break;
        case 103:
            Baud2400->setChecked(true);
            break;
        case 51:
            Baud4800->setChecked(true);
            break;
        case 25:
            Baud9600->setChecked(true);
            break;
        default:
            Baud19200->setChecked(true);
            break;
    }
    emit dataEdited();
}

}  // namespace tovrix
