// The basic-settings page: numeric entry, selectors, boxes and the redraw.
#include "app/numericedit.h"
#include "app/tfrx.h"
#include "common/beep_counter.h"
#include "config/numbers.h"
#include "dialogs/manuals.h"
#include "windowfixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

namespace tovrix {

using test::BeepCounter;
using test::WindowFixture;

namespace {

// Types a text into a field the way a user does and releases Enter.
void enter(NumericEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

// A selection the user makes in a drop-down list.
void choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

NumericEdit* field(TFRX& frx, const QString& name) {
    auto* edit = frx.findChild<NumericEdit*>(name);
    if (!edit) {
        qFatal("no field %s", qPrintable(name));
    }
    return edit;
}

}  // namespace

class BasicPageTest : public QObject {
    Q_OBJECT

  private slots:
    void numericEntry_data();
    void numericEntry();
    void enterSelectsTheWholeTextAgain();
    void leavingTheFieldCommits();
    void offsetAndGainNeedUnlocking();
    void lockingAgainResetsOffsetAndGain();
    void anyValueConditionGreysOutItsValue();
    void transmitterChoiceShowsOrHidesTheStandardFields();
    void handshakeChoice();
    void baudClickStoresAtOnce();
    void initStringTogglesOnlyBitZero();
    void redrawNormalisesTheBlock();
    void redrawStoresNothingThroughTheControls();
    void firmwareAndPortShownFromTheirSources();
    void manualsHexadecimalExamplesFitTheirFields();
};

void BasicPageTest::numericEntry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("beeps");

    QTest::newRow("bit length 30 is limited") << "Bitlaenge"
                                              << "30" << 51 << 24 << " 24" << 0;
    QTest::newRow("bit length 300") << "Bitlaenge"
                                    << "300" << 51 << 24 << " 24" << 1;
    QTest::newRow("bit length 0") << "Bitlaenge"
                                  << "0" << 51 << 1 << "  1" << 0;
    QTest::newRow("bit length 24") << "Bitlaenge"
                                   << "24" << 51 << 24 << " 24" << 0;
    QTest::newRow("validity 0") << "Pruefanzahl"
                                << "0" << 52 << 1 << "  1" << 0;
    QTest::newRow("validity -5") << "Pruefanzahl"
                                 << "-5" << 52 << 1 << "  1" << 1;
    QTest::newRow("resolution 1") << "PWMperiod"
                                  << "1" << 60 << 2 << "  2" << 0;
    QTest::newRow("resolution abc") << "PWMperiod"
                                    << "abc" << 60 << 2 << "  2" << 1;
    QTest::newRow("resolution hex") << "PWMperiod"
                                    << "$FF" << 60 << 255 << "255" << 0;
    QTest::newRow("lock-out 25") << "WDH"
                                 << "25" << 11 << 25 << " 25" << 0;
    QTest::newRow("lock-out 256") << "WDH"
                                  << "256" << 11 << 255 << "255" << 1;
    QTest::newRow("init line") << "InitString"
                               << "7" << 15 << 7 << "  7" << 0;
    QTest::newRow("condition B1/1") << "EB11"
                                    << "12" << 21 << 12 << " 12" << 0;
    QTest::newRow("condition B2/2") << "EB22"
                                    << "12 " << 27 << 0 << "  0" << 1;
    QTest::newRow("condition B3/2") << "EB32"
                                    << "200" << 31 << 200 << "200" << 0;
}

void BasicPageTest::numericEntry() {
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(int, index);
    QFETCH(int, stored);
    QFETCH(QString, shown);
    QFETCH(int, beeps);
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.CBinitstring->click();  // InitString takes entries only while enabled
    BeepCounter counter;
    enter(field(frx, name), typed);
    QCOMPARE(int(frx.confdata[static_cast<std::size_t>(index)]), stored);
    QCOMPARE(field(frx, name)->text(), shown);
    QCOMPARE(counter.count(), beeps);
}

void BasicPageTest::enterSelectsTheWholeTextAgain() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    enter(frx.WDH, QStringLiteral("9"));
    QCOMPARE(frx.WDH->selectedText(), QStringLiteral("  9"));
    // Other keys commit nothing.
    frx.WDH->setText(QStringLiteral("44"));
    QTest::keyClick(frx.WDH, Qt::Key_Tab);
    QCOMPARE(int(frx.confdata[11]), 9);
}

void BasicPageTest::leavingTheFieldCommits() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.show();
    frx.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frx));
    frx.WDH->setFocus();
    QTRY_VERIFY(frx.WDH->hasFocus());
    frx.WDH->selectAll();
    QTest::keyClicks(frx.WDH, QStringLiteral("31"));
    QCOMPARE(int(frx.confdata[11]), 0);  // typing alone stores nothing
    frx.LeseButton->setFocus();
    QTRY_COMPARE(int(frx.confdata[11]), 31);
    QCOMPARE(frx.WDH->text(), QStringLiteral(" 31"));
}

void BasicPageTest::offsetAndGainNeedUnlocking() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    QVERIFY(!frx.ADoffset->isEnabled());
    QVERIFY(!frx.ADgain->isEnabled());
    QTest::mouseClick(frx.CBlockAD, Qt::LeftButton);
    QVERIFY(frx.CBlockAD->isChecked());
    QVERIFY(frx.ADoffset->isEnabled());
    QVERIFY(frx.ADgain->isEnabled());

    BeepCounter counter;
    enter(frx.ADoffset, QStringLiteral("1000"));
    QCOMPARE(int(frx.confdata[61]), 3);
    QCOMPARE(int(frx.confdata[62]), 232);
    QCOMPARE(frx.ADoffset->text(), QStringLiteral(" 1000"));
    QCOMPARE(counter.take(), 0);
    enter(frx.ADgain, QStringLiteral("70000"));
    QCOMPARE(int(frx.confdata[63]), 255);
    QCOMPARE(int(frx.confdata[64]), 255);
    QCOMPARE(frx.ADgain->text(), QStringLiteral("65535"));
    QCOMPARE(counter.take(), 1);
    // The redraw leaves the unlocked state alone.
    frx.showdata();
    QVERIFY(frx.ADgain->isEnabled());
    QVERIFY(frx.CBlockAD->isChecked());
}

void BasicPageTest::lockingAgainResetsOffsetAndGain() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    QTest::mouseClick(frx.CBlockAD, Qt::LeftButton);
    enter(frx.ADoffset, QStringLiteral("256"));
    enter(frx.ADgain, QStringLiteral("2000"));
    QTest::mouseClick(frx.CBlockAD, Qt::LeftButton);
    QVERIFY(!frx.CBlockAD->isChecked());
    QVERIFY(!frx.ADoffset->isEnabled());
    QCOMPARE(readWord(frx.confdata, 61), 0);
    QCOMPARE(readWord(frx.confdata, 63), 1024);
    QCOMPARE(frx.ADoffset->text(), QStringLiteral("    0"));
    QCOMPARE(frx.ADgain->text(), QStringLiteral(" 1024"));
}

void BasicPageTest::anyValueConditionGreysOutItsValue() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    enter(frx.conditionValues[2], QStringLiteral("77"));
    QCOMPARE(frx.conditionValues[2]->palette().color(QPalette::Base), QColor(254, 233, 234));
    choose(frx.conditionOperators[2], 3);
    QCOMPARE(int(frx.confdata[24]), 3);
    QCOMPARE(int(frx.confdata[25]), 77);  // the value stays
    QVERIFY(!frx.conditionValues[2]->isEnabled());
    QCOMPARE(frx.conditionValues[2]->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(frx.conditionValues[2]->text(), QStringLiteral(" 77"));
    choose(frx.conditionOperators[2], 1);
    QCOMPARE(int(frx.confdata[24]), 1);
    QVERIFY(frx.conditionValues[2]->isEnabled());
    QCOMPARE(frx.conditionOperators[2]->currentText(), QStringLiteral(">"));
    // The other conditions are untouched.
    QCOMPARE(int(frx.confdata[20]), 0);
    QVERIFY(frx.conditionValues[0]->isEnabled());
}

void BasicPageTest::transmitterChoiceShowsOrHidesTheStandardFields() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    QCOMPARE(frx.CBTXselect->currentText(),
             QStringLiteral("Standardsender (Varon und lowcost-Typen)"));
    choose(frx.CBTXselect, 0);
    QCOMPARE(int(frx.confdata[50]), 0);
    QVERIFY(!frx.BoxStandardsender->isVisibleTo(frx.Pbasic));
    QCOMPARE(int(frx.confdata[51]), 12);
    QCOMPARE(int(frx.confdata[52]), 2);
    choose(frx.CBTXselect, 1);
    QVERIFY(frx.BoxStandardsender->isVisibleTo(frx.Pbasic));
}

void BasicPageTest::handshakeChoice() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    choose(frx.CBhandRTS, 2);
    choose(frx.CBhandCTS, 1);
    QCOMPARE(int(frx.confdata[12]), 2);
    QCOMPARE(int(frx.confdata[13]), 1);
    QCOMPARE(frx.CBhandRTS->itemText(0), QStringLiteral("  RTS -off-"));
    QCOMPARE(frx.CBhandCTS->itemText(2), QStringLiteral(" CTS reverse"));
}

void BasicPageTest::baudClickStoresAtOnce() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    const std::pair<QRadioButton*, int> buttons[] = {{frx.Baud1200, 207},
                                                     {frx.Baud2400, 103},
                                                     {frx.Baud4800, 51},
                                                     {frx.Baud9600, 25},
                                                     {frx.Baud19200, 12}};
    for (const auto& [button, code] : buttons) {
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(int(frx.confdata[10]), code);
        QVERIFY(button->isChecked());
    }
}

void BasicPageTest::initStringTogglesOnlyBitZero() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.confdata[14] = 6;
    frx.showdata();
    QVERIFY(!frx.CBinitstring->isChecked());
    QVERIFY(!frx.InitString->isEnabled());
    QTest::mouseClick(frx.CBinitstring, Qt::LeftButton, Qt::NoModifier,
                      frx.CBinitstring->rect().center());
    QCOMPARE(int(frx.confdata[14]), 7);
    QVERIFY(frx.InitString->isEnabled());
    frx.CBinitstring->click();
    QCOMPARE(int(frx.confdata[14]), 6);
    QVERIFY(!frx.InitString->isEnabled());
}

void BasicPageTest::redrawNormalisesTheBlock() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.confdata[20] = 7;
    frx.confdata[12] = 3;
    frx.confdata[13] = 200;
    frx.confdata[50] = 2;
    frx.confdata[10] = 0;
    frx.confdata[87] = 0;
    frx.confdata[88] = 0;
    frx.showdata();
    QCOMPARE(frx.conditionOperators[0]->currentText(), QStringLiteral("~"));
    QCOMPARE(int(frx.confdata[20]), 3);
    QCOMPARE(int(frx.confdata[12]), 0);
    QCOMPARE(int(frx.confdata[13]), 0);
    QCOMPARE(frx.CBhandRTS->currentIndex(), 0);
    QCOMPARE(int(frx.confdata[50]), 0);
    QVERIFY(!frx.BoxStandardsender->isVisibleTo(frx.Pbasic));
    QCOMPARE(int(frx.confdata[10]), 12);
    QVERIFY(frx.Baud19200->isChecked());
    QCOMPARE(int(frx.confdata[87]), 5);
    QCOMPARE(int(frx.confdata[88]), 1);
}

void BasicPageTest::redrawStoresNothingThroughTheControls() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    const struct {
        int index;
        int value;
    } cases[] = {{10, 25}, {10, 207}, {14, 1}, {14, 0x81}, {24, 2}, {50, 0}, {13, 2}};
    for (const auto& c : cases) {
        frx.confdata[static_cast<std::size_t>(c.index)] = static_cast<std::uint8_t>(c.value);
        const ConfData before = frx.confdata;
        frx.showdata();
        QCOMPARE(frx.confdata, before);
    }
    QVERIFY(frx.Baud1200->isChecked());
    QVERIFY(frx.CBinitstring->isChecked());
    QCOMPARE(frx.conditionOperators[2]->currentIndex(), 2);
}

void BasicPageTest::firmwareAndPortShownFromTheirSources() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.sysdata[1] = 3;
    frx.sysdata[2] = 1;
    frx.Lsavecom->setText(QStringLiteral("7"));
    frx.OpenDialogFileName = QStringLiteral("anlage.tvx");
    frx.showdata();
    QCOMPARE(frx.Firmware->text(), QStringLiteral("1.03"));
    QCOMPARE(frx.statusPanelText(0), QStringLiteral("COM1"));
    QCOMPARE(frx.statusPanelText(1), QStringLiteral("anlage.tvx"));
    QVERIFY(frx.COM11->isChecked());
    frx.sysdata[1] = 12;
    frx.sysdata[2] = 10;
    frx.showdata();
    QCOMPARE(frx.Firmware->text(), QStringLiteral("10.12"));
}

// Every hexadecimal example of the manuals fits, uncut, into the fields its
// paragraph talks about and reads as the value the test expects: the
// paragraph on entering numbers speaks of every numeric field of the two
// pages, the one on offset and gain of those two, the one on fixed table
// values of a grid cell (four characters).
void BasicPageTest::manualsHexadecimalExamplesFitTheirFields() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    const QStringList everyField{"Bitlaenge", "Pruefanzahl", "WDH",    "InitString", "EB11",
                                 "EB12",      "EB21",        "EB22",   "EB31",       "EB32",
                                 "PWMperiod", "ADoffset",    "ADgain", "Pause1",     "TestFeld"};
    constexpr int kGridCellCharacters = 4;
    struct Paragraph {
        const char* marker;  // a text only that paragraph holds
        QStringList fields;  // empty: a grid cell
    };
    const QList<Paragraph> paragraphs{{"Zahlen eingeben", everyField},
                                      {"Numbers:", everyField},
                                      {"\"offset:\"", {"ADoffset", "ADgain"}},
                                      {"höchstens 4 Zeichen", {}}};
    const QMap<QString, int> values{
        {"$1F", 31}, {"0x1F", 31}, {"0x400", 1024}, {"$41", 65}, {"0x41", 65}};
    const QRegularExpression example(QStringLiteral(R"((\$|0x)[0-9A-Fa-f]+)"));

    for (const ManualLanguage language : {ManualLanguage::German, ManualLanguage::English}) {
        const QStringList blocks = manualText(language).split(QStringLiteral("\n\n"));
        for (const QString& block : blocks) {
            for (const QRegularExpressionMatch& match : example.globalMatch(block)) {
                const QString text = match.captured();
                const auto paragraph =
                    std::find_if(paragraphs.begin(), paragraphs.end(), [&](const Paragraph& p) {
                        return block.contains(QString::fromUtf8(p.marker));
                    });
                QVERIFY2(paragraph != paragraphs.end(),
                         qPrintable(QStringLiteral("%1 in a paragraph the test does not place: %2")
                                        .arg(text, block)));
                QVERIFY2(values.contains(text), qPrintable(text));
                QCOMPARE(checkin(text.toStdString(), 65535), values[text]);
                if (paragraph->fields.isEmpty()) {
                    QVERIFY2(text.size() <= kGridCellCharacters, qPrintable(text));
                }
                for (const QString& name : paragraph->fields) {
                    QVERIFY2(field(frx, name)->maxLength() >= text.size(),
                             qPrintable(QStringLiteral("%1 does not fit %2").arg(text, name)));
                }
            }
        }
    }
}

}  // namespace tovrix

QTEST_MAIN(tovrix::BasicPageTest)
#include "basicpage_test.moc"
