// Layout of the basic-settings page.
#include "app/numericedit.h"
#include "app/tfrx.h"
#include "app/transferbutton.h"
#include "widgetkit/widgetkit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

namespace tovrix {

namespace {

const QColor kSectionColour(231, 228, 203);
const QColor kNavy(0, 0, 128);

QFont editFont() {
    return pixelFont(QStringLiteral("Courier New"), 14, true);
}

QLabel* sectionHeader(QWidget* page, const QString& text, const QRect& geometry) {
    QLabel* header = makeLabel(page, "", text, geometry);
    header->setFont(pixelFont(QStringLiteral("Arial"), 13, true));
    header->setIndent(6);
    setBackground(header, kSectionColour);
    setTextColour(header, kNavy);
    return header;
}

QGroupBox* box(QWidget* page, const char* name, const QString& title, const QRect& geometry) {
    return placed(new QGroupBox(title, page), name, geometry);
}

NumericEdit* numberField(QWidget* parent, const char* name, int maxLength, const QString& text,
                         const QRect& geometry) {
    auto* edit = new NumericEdit(parent, QString::fromLatin1(name), maxLength, text);
    edit->setGeometry(geometry);
    edit->setFont(editFont());
    return edit;
}

QComboBox* selector(QWidget* parent, const char* name, const QStringList& items,
                    const QRect& geometry) {
    auto* combo = placed(new QComboBox(parent), name, geometry);
    combo->addItems(items);
    return combo;
}

}  // namespace

void TFRX::buildBasicPage() {
    QWidget* page = Pbasic;

    sectionHeader(page, QStringLiteral("Funk-Datenprotokoll (Eingangsprüfung)"),
                  QRect(8, 6, 769, 18));

    QGroupBox* sender =
        box(page, "SenderBox", QStringLiteral(" Sender-Auswahl "), QRect(8, 28, 380, 100));
    CBTXselect = selector(sender, "CBTXselect",
                          {QStringLiteral("Varon-RS (progr. RS232-Sender)"),
                           QStringLiteral("Standardsender (Varon und lowcost-Typen)")},
                          QRect(12, 22, 356, 24));
    BoxStandardsender = placed(new QFrame(sender), "BoxStandardsender", QRect(12, 52, 356, 40));
    // Each field is announced by the label beside it (its buddy).
    QLabel* bitLabel =
        makeLabel(BoxStandardsender, "", QStringLiteral("Bitlänge:"), QRect(4, 10, 70, 20));
    Bitlaenge =
        numberField(BoxStandardsender, "Bitlaenge", 3, QStringLiteral("100"), QRect(76, 8, 44, 24));
    bitLabel->setBuddy(Bitlaenge);
    QLabel* checkLabel =
        makeLabel(BoxStandardsender, "", QStringLiteral("Prüfschärfe:"), QRect(170, 10, 90, 20));
    Pruefanzahl = numberField(BoxStandardsender, "Pruefanzahl", 3, QStringLiteral("100"),
                              QRect(262, 8, 44, 24));
    checkLabel->setBuddy(Pruefanzahl);
    BoxStandardsender->hide();

    QGroupBox* repeat = box(page, "WDHBox", QStringLiteral(" repetierende gleiche Empfangsdaten "),
                            QRect(396, 28, 381, 100));
    QLabel* lockoutLabel =
        makeLabel(repeat, "", QStringLiteral("Sperrzeit:"), QRect(14, 34, 70, 20));
    WDH = numberField(repeat, "WDH", 3, QStringLiteral("100"), QRect(86, 32, 44, 24));
    lockoutLabel->setBuddy(WDH);
    makeLabel(repeat, "", QStringLiteral("(x 10ms)"), QRect(140, 34, 80, 20));
    makeLabel(repeat, "", QStringLiteral("( >= 25 empfohlen)"), QRect(86, 64, 200, 20));

    buildConditionBox(page);

    sectionHeader(page, QStringLiteral("RS232 / RS485 - Hardwareoptionen"), QRect(8, 254, 769, 18));

    BaudBox = box(page, "BaudBox", QStringLiteral(" Baudrate "), QRect(8, 276, 380, 84));
    Baud1200 = placed(new QRadioButton(QStringLiteral("1200 Baud"), BaudBox), "Baud1200",
                      QRect(14, 24, 110, 20));
    Baud2400 = placed(new QRadioButton(QStringLiteral("2400 Baud"), BaudBox), "Baud2400",
                      QRect(134, 24, 110, 20));
    Baud4800 = placed(new QRadioButton(QStringLiteral("4800 Baud"), BaudBox), "Baud4800",
                      QRect(254, 24, 110, 20));
    Baud9600 = placed(new QRadioButton(QStringLiteral("9600 Baud"), BaudBox), "Baud9600",
                      QRect(14, 52, 110, 20));
    Baud19200 = placed(new QRadioButton(QStringLiteral("19200 Baud"), BaudBox), "Baud19200",
                       QRect(134, 52, 110, 20));
    Baud19200->setChecked(true);

    QGroupBox* handshake =
        box(page, "HandshakeBox", QStringLiteral(" Handshake "), QRect(396, 276, 381, 84));
    CBhandRTS = selector(handshake, "CBhandRTS",
                         {QStringLiteral("  RTS -off-"), QStringLiteral(" RTS standard"),
                          QStringLiteral(" RTS reverse")},
                         QRect(14, 22, 150, 24));
    makeLabel(handshake, "", QStringLiteral("(RTS-Ausgang)"), QRect(176, 24, 120, 20))
        ->setBuddy(CBhandRTS);
    CBhandCTS = selector(handshake, "CBhandCTS",
                         {QStringLiteral("  CTS -off-"), QStringLiteral(" CTS standard"),
                          QStringLiteral(" CTS reverse")},
                         QRect(14, 52, 150, 24));
    makeLabel(handshake, "", QStringLiteral("(CTS-Eingang)"), QRect(176, 54, 120, 20))
        ->setBuddy(CBhandCTS);

    sectionHeader(page, QStringLiteral("weitere Funktionen"), QRect(8, 368, 380, 18));
    sectionHeader(page, QStringLiteral("Spannungsausgabe"), QRect(396, 368, 381, 18));

    QGroupBox* init =
        box(page, "InitBox", QStringLiteral(" Initialisierungsstring "), QRect(8, 390, 380, 100));
    CBinitstring = placed(new QCheckBox(QStringLiteral("aktiviert: "), init), "CBinitstring",
                          QRect(14, 36, 100, 20));
    // The caption ends in a colon: the box follows its text.
    CBinitstring->setLayoutDirection(Qt::RightToLeft);
    QLabel* lineLabel = makeLabel(init, "", QStringLiteral("Zeile:"), QRect(150, 36, 50, 20));
    InitString = numberField(init, "InitString", 3, QStringLiteral("100"), QRect(200, 34, 44, 24));
    lineLabel->setBuddy(InitString);

    buildAnalogueBox(page);

    LeseButton =
        makeTransferButton(page, "LeseButton", QStringLiteral("Konfiguration auslesen"), 8, 500);
    ProgButton = makeTransferButton(page, "ProgButton",
                                    QStringLiteral("Konfiguration programmieren"), 396, 500);
}

void TFRX::buildConditionBox(QWidget* page) {
    QGroupBox* conditions = box(page, "AkzeptanzBox", QStringLiteral(" Akzeptanz-Bedingungen "),
                                QRect(8, 134, 769, 112));
    const QStringList operators{QStringLiteral("="), QStringLiteral(">"), QStringLiteral("<"),
                                QStringLiteral("~")};
    const std::array<const char*, 6> operatorNames{"CB11", "CB12", "CB21", "CB22", "CB31", "CB32"};
    const std::array<const char*, 6> valueNames{"EB11", "EB12", "EB21", "EB22", "EB31", "EB32"};
    for (int byte = 0; byte < 3; ++byte) {
        const int y = 22 + 28 * byte;
        const QString condition = QStringLiteral("Bedingung %1. Byte (=B%1):").arg(byte + 1);
        QLabel* rowLabel = makeLabel(conditions, "", condition, QRect(14, y + 2, 176, 20));
        QLabel* andLabel =
            makeLabel(conditions, "", QStringLiteral("AND"), QRect(290, y + 2, 36, 20));
        andLabel->setAlignment(Qt::AlignCenter);
        // A screen reader names a selector by the label it is the buddy of
        // and a field by its own name; the three rows differ only in the
        // row caption, so every name carries it.
        andLabel->setAccessibleName(condition + QStringLiteral(" AND"));
        const std::array<QLabel*, 2> labels{rowLabel, andLabel};
        for (int second = 0; second < 2; ++second) {
            const auto i = static_cast<std::size_t>(2 * byte + second);
            const int x = second == 0 ? 190 : 330;
            conditionOperators[i] =
                selector(conditions, operatorNames[i], operators, QRect(x, y, 48, 24));
            conditionValues[i] = numberField(conditions, valueNames[i], 3, QStringLiteral("100"),
                                             QRect(x + 52, y, 44, 24));
            labels[static_cast<std::size_t>(second)]->setBuddy(conditionOperators[i]);
            conditionValues[i]->setAccessibleName(condition +
                                                  QStringLiteral(" Wert %1").arg(second + 1));
        }
    }
    const std::array<const char*, 2> legendLeft{"Legende: das empfangene", "Byte muss:"};
    for (int i = 0; i < 2; ++i) {
        makeLabel(conditions, "", QString::fromUtf8(legendLeft[static_cast<std::size_t>(i)]),
                  QRect(470, 24 + 18 * i, 150, 18));
    }
    const std::array<const char*, 4> legendRight{"=  exakt gleich sein", ">  größer sein als",
                                                 "<  kleiner sein", "~  egal (jeder Wert)"};
    for (int i = 0; i < 4; ++i) {
        makeLabel(conditions, "", QString::fromUtf8(legendRight[static_cast<std::size_t>(i)]),
                  QRect(624, 24 + 18 * i, 140, 18));
    }
}

void TFRX::buildAnalogueBox(QWidget* page) {
    QGroupBox* analogue = box(page, "AnalogBox", QString(), QRect(396, 390, 381, 100));
    QLabel* resolutionLabel =
        makeLabel(analogue, "", QStringLiteral("Auflösung:"), QRect(14, 14, 74, 20));
    PWMperiod = numberField(analogue, "PWMperiod", 3, QStringLiteral("100"), QRect(90, 12, 44, 24));
    resolutionLabel->setBuddy(PWMperiod);
    makeLabel(analogue, "", QStringLiteral("(Schritte insgesamt)"), QRect(144, 14, 160, 20));
    QLabel* offsetLabel = makeLabel(analogue, "", QStringLiteral("offset:"), QRect(14, 44, 74, 20));
    ADoffset = numberField(analogue, "ADoffset", 5, QStringLiteral("10000"), QRect(90, 42, 60, 24));
    offsetLabel->setBuddy(ADoffset);
    QLabel* gainLabel = makeLabel(analogue, "", QStringLiteral("gain:"), QRect(170, 44, 40, 20));
    ADgain = numberField(analogue, "ADgain", 5, QStringLiteral("10000"), QRect(212, 42, 60, 24));
    gainLabel->setBuddy(ADgain);
    ADoffset->setEnabled(false);
    ADgain->setEnabled(false);
    CBlockAD = placed(new QCheckBox(QStringLiteral("offset / gain änderbar"), analogue), "CBlockAD",
                      QRect(14, 72, 220, 20));
}

}  // namespace tovrix
