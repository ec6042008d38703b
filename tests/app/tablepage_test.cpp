// The output-table page: grid set-up, typing into cells, the row-variable
// selector, pause unit and test value, and the image glue.
#include "app/griddelegate.h"
#include "app/numericedit.h"
#include "app/tfrx.h"
#include "common/beep_counter.h"
#include "windowfixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

namespace tovrix {

using test::BeepCounter;
using test::WindowFixture;

namespace {

QLineEdit* openEditor(TFRX& frx, int column, int row) {
    frx.Tabwerte->setCurrentCell(row - 1, column);
    frx.Tabwerte->editItem(frx.Tabwerte->item(row - 1, column));
    return frx.Tabwerte->findChild<QLineEdit*>(QStringLiteral("TabwerteEditor"));
}

bool editorOpen(TFRX& frx) {
    return frx.Tabwerte->findChild<QLineEdit*>(QStringLiteral("TabwerteEditor")) != nullptr;
}

// Presses Return in the editor; the grid commits after the key is handled.
void commit(TFRX& frx, QLineEdit* editor) {
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!editorOpen(frx));
}

// Types text into a cell key by key, as a user does, and presses Return.
void typeCell(TFRX& frx, int column, int row, const QString& text) {
    QLineEdit* editor = openEditor(frx, column, row);
    QVERIFY(editor);
    editor->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(editor, Qt::Key_Delete);
    } else {
        QTest::keyClicks(editor, text);
    }
    commit(frx, editor);
}

const TabCell& cellAt(const TFRX& frx, int column, int row) {
    return frx.tabcells[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
}

}  // namespace

class TablePageTest : public QObject {
    Q_OBJECT

  private slots:
    void gridIsSetUp();
    void typedCellBecomesCanonical_data();
    void typedCellBecomesCanonical();
    void gotoMakesTheNextCellAnOperand();
    void escapeUndoesWhatTypingClassified();
    void halfTypedMinusInTheLastColumnIsJudgedWhenTheEditEnds();
    void lineNumbersAreNotEdited();
    void selectorSetsTheRowVariable();
    void pauseAndTestFieldsAreCorrectedWhenLeft_data();
    void pauseAndTestFieldsAreCorrectedWhenLeft();
    void restoreShowsTheImageAndBuildReproducesIt();
    void restoreWithWrongChecksumStillApplies();
    void restoreSelectsTheRowVariableItem_data();
    void restoreSelectsTheRowVariableItem();
    void buildTakesTheCellBeingEdited();
    void buildReadsUnreadableFieldsWithABeep();
    void newConfigurationEmptiesTheTableButKeepsTheFields();
};

void TablePageTest::gridIsSetUp() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    QCOMPARE(frx.Tabwerte->rowCount(), 256);
    QCOMPARE(frx.Tabwerte->columnCount(), 17);
    QCOMPARE(frx.gridText(0, 0), QStringLiteral("   B3"));
    QCOMPARE(frx.gridText(1, 0), QStringLiteral("D1"));
    QCOMPARE(frx.gridText(16, 0), QStringLiteral("D16"));
    QCOMPARE(frx.gridText(0, 1), QStringLiteral("     0"));
    QCOMPARE(frx.gridText(0, 256), QStringLiteral("   255"));
    QCOMPARE(frx.gridText(7, 100), QStringLiteral("-e-"));
    QVERIFY(isEndCell(cellAt(frx, 16, 256)));
    // Inner cell sizes plus one pixel of grid line.
    QCOMPARE(frx.Tabwerte->columnWidth(0), 61);
    QCOMPARE(frx.Tabwerte->columnWidth(5), 43);
    QCOMPARE(frx.Tabwerte->rowHeight(3), 17);
    QCOMPARE(frx.Tabwerte->horizontalHeader()->height(), 21);
    QCOMPARE(frx.Tabwerte->size(), QSize(769, 393));
    QCOMPARE(frx.Bselect->geometry(), QRect(frx.Tabwerte->pos(), QSize(64, 24)));
    QCOMPARE(frx.Bselect->currentText(), QStringLiteral("   B3 ="));
    QCOMPARE(frx.Pause1->text(), QStringLiteral("  1"));
    QCOMPARE(frx.TestFeld->text(), QStringLiteral("100"));
    // Right after start-up the current cell is a line number: no editing.
    QCOMPARE(frx.Tabwerte->currentColumn(), 0);
    QCOMPARE(frx.Tabwerte->editTriggers(), QAbstractItemView::NoEditTriggers);

    const GridCellLook corner = gridCellLook(frx.tabcells, 0, 0);
    QCOMPARE(corner.background, QColor(192, 192, 192));
    QCOMPARE(corner.text, QColor(128, 0, 0));
    const GridCellLook line = gridCellLook(frx.tabcells, 0, 5);
    QCOMPARE(line.background, QColor(255, 255, 172));
    QCOMPARE(line.fontFamily, QStringLiteral("Arial"));
    const GridCellLook end = gridCellLook(frx.tabcells, 3, 5);
    QCOMPARE(end.text, QColor(128, 128, 128));
    QCOMPARE(end.fontFamily, QStringLiteral("Courier New"));
}

void TablePageTest::typedCellBecomesCanonical_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("flag");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("beeps");

    QTest::newRow("number") << 2 << "65"
                            << "65" << 0 << 65 << 0;
    QTest::newRow("300") << 2 << "300"
                         << "255" << 0 << 255 << 0;
    QTest::newRow("0255") << 2 << "0255"
                          << "255" << 0 << 255 << 0;
    QTest::newRow("12345") << 2 << "12345"
                           << "0" << 0 << 0 << 0;
    QTest::newRow("cleared") << 2 << ""
                             << "0" << 0 << 0 << 0;
    QTest::newRow("v1") << 2 << "v1"
                        << "0" << 0 << 0 << 1;
    QTest::newRow("b2") << 2 << "b2"
                        << "B2" << 1 << 2 << 0;
    QTest::newRow("B7") << 2 << "B7"
                        << "B1" << 1 << 1 << 0;
    QTest::newRow("-e- is U-") << 3 << "-e-"
                               << "U-" << 1 << 22 << 0;
    QTest::newRow("e") << 3 << "e"
                       << "-e-" << 1 << 0 << 0;
    QTest::newRow("p") << 16 << "p"
                       << "P" << 1 << 8 << 0;
    QTest::newRow("u9") << 4 << "u9"
                        << "Uset" << 1 << 20 << 0;
    QTest::newRow("+") << 4 << "+"
                       << "U+" << 1 << 21 << 0;
    QTest::newRow("r") << 16 << "r"
                       << "RET" << 1 << 6 << 0;
    QTest::newRow("-1 in column 16") << 16 << "-1"
                                     << "255" << 0 << 255 << 0;
    QTest::newRow("u in column 16") << 16 << "u"
                                    << "0" << 0 << 0 << 1;
    QTest::newRow("g in column 16") << 16 << "g"
                                    << "0" << 0 << 0 << 1;
}

void TablePageTest::typedCellBecomesCanonical() {
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, flag);
    QFETCH(int, value);
    QFETCH(int, beeps);
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    BeepCounter counter;
    typeCell(frx, column, 11, typed);
    QCOMPARE(frx.gridText(column, 11), shown);
    QCOMPARE(int(cellAt(frx, column, 11).flag), flag);
    QCOMPARE(int(cellAt(frx, column, 11).value), value);
    QCOMPARE(counter.count(), beeps);
}

void TablePageTest::gotoMakesTheNextCellAnOperand() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    BeepCounter counter;
    typeCell(frx, 5, 3, QStringLiteral("g"));
    QCOMPARE(frx.gridText(5, 3), QStringLiteral("GOTO"));
    QCOMPARE(frx.gridText(6, 3), QStringLiteral("0"));
    QCOMPARE(counter.take(), 1);  // "-e-" does not read as a number
    QCOMPARE(cellAt(frx, 6, 3), (TabCell{kNumberCell, 0}));
    const GridCellLook operand = gridCellLook(frx.tabcells, 6, 3);
    QCOMPARE(operand.background, QColor(255, 255, 172));
    QCOMPARE(operand.text, QColor(128, 0, 128));
    typeCell(frx, 6, 3, QStringLiteral("12"));
    QCOMPARE(cellAt(frx, 6, 3), (TabCell{kNumberCell, 12}));
    // After Uset the operand is drawn black on light cyan.
    typeCell(frx, 5, 3, QStringLiteral("u"));
    const GridCellLook analogue = gridCellLook(frx.tabcells, 6, 3);
    QCOMPARE(analogue.background, QColor(128, 255, 255));
    QCOMPARE(analogue.text, QColor(0, 0, 0));
    // In column 1 a number is always navy on pastel green.
    typeCell(frx, 1, 3, QStringLiteral("5"));
    QCOMPARE(gridCellLook(frx.tabcells, 1, 3).background, QColor(221, 255, 204));
    QCOMPARE(gridCellLook(frx.tabcells, 1, 3).text, QColor(0, 0, 128));
    QCOMPARE(counter.count(), 0);
}

void TablePageTest::escapeUndoesWhatTypingClassified() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    BeepCounter counter;
    QLineEdit* editor = openEditor(frx, 5, 8);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("c"));
    QCOMPARE(cellAt(frx, 5, 8), (TabCell{kFunctionCell, fcCall}));  // judged while typed
    QCOMPARE(cellAt(frx, 6, 8).flag, kNumberCell);
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_VERIFY(!editorOpen(frx));
    QCOMPARE(frx.gridText(5, 8), QStringLiteral("-e-"));
    QVERIFY(isEndCell(cellAt(frx, 5, 8)));
    QVERIFY(isEndCell(cellAt(frx, 6, 8)));
    QCOMPARE(counter.count(), 0);
}

void TablePageTest::halfTypedMinusInTheLastColumnIsJudgedWhenTheEditEnds() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    BeepCounter counter;
    QLineEdit* editor = openEditor(frx, 16, 20);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("-"));
    QCOMPARE(counter.count(), 0);
    QTest::keyClicks(editor, QStringLiteral("3"));
    commit(frx, editor);
    QCOMPARE(counter.count(), 0);
    QCOMPARE(frx.gridText(16, 20), QStringLiteral("253"));
}

void TablePageTest::lineNumbersAreNotEdited() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.Tabwerte->setCurrentCell(4, 1);
    QVERIFY(frx.Tabwerte->editTriggers() & QAbstractItemView::AnyKeyPressed);
    frx.Tabwerte->setCurrentCell(4, 0);
    QCOMPARE(frx.Tabwerte->editTriggers(), QAbstractItemView::NoEditTriggers);
    QTest::keyClicks(frx.Tabwerte, QStringLiteral("7"));
    QVERIFY(!editorOpen(frx));
    QCOMPARE(frx.gridText(0, 5), QStringLiteral("     4"));
    // The same key on a cell column opens the editor with it.
    frx.Tabwerte->setCurrentCell(4, 2);
    QTest::keyClicks(frx.Tabwerte, QStringLiteral("7"));
    QVERIFY(editorOpen(frx));
    QCOMPARE(cellAt(frx, 2, 5).flag, kNumberCell);
}

void TablePageTest::selectorSetsTheRowVariable() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    QCOMPARE(frx.Bselect->palette().color(QPalette::Base), QColor(255, 255, 172));
    QCOMPARE(frx.Bselect->palette().color(QPalette::Text), QColor(128, 0, 128));
    frx.Bselect->setCurrentIndex(0);
    emit frx.Bselect->activated(0);
    QCOMPARE(int(frx.confdata[16]), 1);
    frx.Build64K();
    QCOMPARE(int(frx.tabdata[8161]), 1);
    frx.Bselect->lineEdit()->setCursorPosition(7);
    QTest::keyClicks(frx.Bselect->lineEdit(), QStringLiteral("x"));
    QCOMPARE(frx.Bselect->currentText(), QStringLiteral("   B1 =x"));
    QCOMPARE(frx.BselectItemIndex(), -1);
    QCOMPARE(int(frx.confdata[16]), 0);
    frx.Build64K();
    QCOMPARE(int(frx.tabdata[8161]), 0);
    // An item's exact text, typed and confirmed, is still a typed text.
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        frx.Bselect->lineEdit()->selectAll();
        QTest::keyClicks(frx.Bselect->lineEdit(), QStringLiteral("   B1 ="));
        QTest::keyClick(frx.Bselect->lineEdit(), key);
        QCOMPARE(frx.Bselect->currentText(), QStringLiteral("   B1 ="));
        QCOMPARE(frx.BselectItemIndex(), -1);
        QCOMPARE(int(frx.confdata[16]), 0);
    }
    frx.Build64K();
    QCOMPARE(int(frx.tabdata[8161]), 0);
}

void TablePageTest::pauseAndTestFieldsAreCorrectedWhenLeft_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("beeps");
    QTest::newRow("pause 999") << "Pause1"
                               << "999"
                               << "255" << 1;
    QTest::newRow("pause abc") << "Pause1"
                               << "abc"
                               << "  0" << 1;
    QTest::newRow("pause 20") << "Pause1"
                              << "20"
                              << " 20" << 0;
    QTest::newRow("test -1") << "TestFeld"
                             << "-1"
                             << "  0" << 1;
    QTest::newRow("test 7") << "TestFeld"
                            << "7"
                            << "  7" << 0;
}

void TablePageTest::pauseAndTestFieldsAreCorrectedWhenLeft() {
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, beeps);
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    auto* edit = frx.findChild<NumericEdit*>(name);
    QVERIFY(edit);
    BeepCounter counter;
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Enter);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(edit->selectedText(), shown);
    QCOMPARE(counter.count(), beeps);
}

void TablePageTest::restoreShowsTheImageAndBuildReproducesIt() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    TabCells cells;
    resetTable(cells);
    cells[10][0] = {kNumberCell, 65};
    cells[10][1] = {kNumberCell, 100};
    cells[10][2] = {kFunctionCell, fcPause};
    cells[10][3] = {kFunctionCell, fcB2};
    cells[10][4] = {kFunctionCell, fcGoto};
    cells[10][5] = {kNumberCell, 3};
    cells[200][15] = {kFunctionCell, 7};  // a code the editor never writes
    const TabData image = encodeImage(cells, TableSettings{7, 1, 9});
    frx.tabdata = image;
    frx.confdata[16] = 0;
    BeepCounter counter;
    bool ok = false;
    frx.Restore64K(ok);
    QVERIFY(ok);
    QCOMPARE(frx.tabcells, cells);
    QCOMPARE(frx.gridText(1, 11), QStringLiteral("65"));
    QCOMPARE(frx.gridText(3, 11), QStringLiteral("P"));
    QCOMPARE(frx.gridText(4, 11), QStringLiteral("B2"));
    QCOMPARE(frx.gridText(5, 11), QStringLiteral("GOTO"));
    QCOMPARE(frx.gridText(6, 11), QStringLiteral("3"));
    QCOMPARE(frx.gridText(7, 11), QStringLiteral("-e-"));
    QCOMPARE(frx.gridText(16, 201), QStringLiteral("  7"));
    QCOMPARE(frx.TestFeld->text(), QStringLiteral("  7"));
    QCOMPARE(frx.Pause1->text(), QStringLiteral("  9"));
    QCOMPARE(frx.BselectItemIndex(), 0);
    QCOMPARE(int(frx.confdata[16]), 0);  // a restore is not the user's choice
    QCOMPARE(counter.count(), 0);

    frx.tabdata.fill(0);
    frx.Build64K();
    QCOMPARE(frx.tabdata, image);
}

void TablePageTest::restoreWithWrongChecksumStillApplies() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    TabCells cells;
    resetTable(cells);
    cells[0][0] = {kNumberCell, 42};
    frx.tabdata = encodeImage(cells, TableSettings{});
    frx.tabdata[8191] ^= 0x55;
    bool ok = true;
    frx.Restore64K(ok);
    QVERIFY(!ok);
    QCOMPARE(frx.gridText(1, 1), QStringLiteral("42"));
}

void TablePageTest::restoreSelectsTheRowVariableItem_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("item");
    QTest::newRow("0") << 0 << 2;
    QTest::newRow("1") << 1 << 0;
    QTest::newRow("2") << 2 << 1;
    QTest::newRow("3") << 3 << 2;
    QTest::newRow("200") << 200 << 2;
}

void TablePageTest::restoreSelectsTheRowVariableItem() {
    QFETCH(int, code);
    QFETCH(int, item);
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    TabCells cells;
    resetTable(cells);
    frx.tabdata = encodeImage(cells, TableSettings{100, static_cast<std::uint8_t>(code), 1});
    bool ok = false;
    frx.Restore64K(ok);
    QCOMPARE(frx.BselectItemIndex(), item);
}

void TablePageTest::buildTakesTheCellBeingEdited() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    QLineEdit* editor = openEditor(frx, 4, 2);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("42"));
    frx.Build64K();
    QCOMPARE(int(frx.tabdata[24 * 1 + 4 + 4]), 42);
    QCOMPARE(frx.gridText(4, 2), QStringLiteral("42"));
}

void TablePageTest::buildReadsUnreadableFieldsWithABeep() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.Pause1->setText(QStringLiteral("999"));
    frx.TestFeld->setText(QStringLiteral("x"));
    BeepCounter counter;
    frx.Build64K();
    QCOMPARE(counter.count(), 2);
    QCOMPARE(int(frx.tabdata[8162]), 255);
    QCOMPARE(int(frx.tabdata[8160]), 0);
    QCOMPARE(frx.Pause1->text(), QStringLiteral("999"));  // not rewritten
    QCOMPARE(int(frx.tabdata[8161]), 3);
    QCOMPARE(frx.tabdata[8191], imageChecksum(frx.tabdata));
}

void TablePageTest::newConfigurationEmptiesTheTableButKeepsTheFields() {
    WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    typeCell(frx, 1, 1, QStringLiteral("12"));
    frx.Pause1->setText(QStringLiteral(" 50"));
    frx.Bselect->setCurrentIndex(1);
    frx.FormCreate();
    QCOMPARE(frx.gridText(1, 1), QStringLiteral("-e-"));
    QVERIFY(isEndCell(cellAt(frx, 1, 1)));
    QCOMPARE(frx.Pause1->text(), QStringLiteral(" 50"));
    QCOMPARE(frx.BselectItemIndex(), 1);
}

}  // namespace tovrix

QTEST_MAIN(tovrix::TablePageTest)
#include "tablepage_test.moc"
