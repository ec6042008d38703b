// Editing the table through the real grid: blocks through the clipboard,
// pasting as typing, undo and redo over random edits, line moves, the saved
// file, the menu and its keys.
#include "app/finddialog.h"
#include "app/numericedit.h"
#include "app/tableeditor.h"
#include "app/tfrx.h"
#include "common/beep_counter.h"
#include "windowfixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <random>

namespace tovrix {

using test::BeepCounter;
using test::typeCell;
using test::WindowFixture;

namespace {

constexpr int kSequences = 1000;

void pasteAt(TFRX& frx, int line, int column, const QString& text) {
    QApplication::clipboard()->setText(text);
    frx.Tabwerte->setCurrentCell(line, column);
    frx.tableEditor->paste();
}

// The table as the grid shows it and the model holds it.
TableState shown(const TFRX& frx) {
    return frx.tableEditor->state();
}

class Session {
  public:
    Session() : frx_(fixture_.startWindow()) {
        frx_.tableEditor->setNotice([](const QString&, bool) {});
        frx_.tableEditor->setQuestion([](const QStringList&) { return true; });
    }
    TFRX& frx() { return frx_; }

  private:
    WindowFixture fixture_;
    TFRX& frx_;
};

}  // namespace

class TableEditTest : public QObject {
    Q_OBJECT

  private slots:
    void blockCopiedAndPastedElsewhere();
    void wholeTableThroughTheClipboard();
    void pastedTextIsTypedText();
    void undoRedoOverRandomSequences();
    void lineMovesThroughTheGrid();
    void savedFileIsWhatTheGridShows();
    void menuAndKeys();
    void findListsAndVisitsPlaces();
};

void TableEditTest::blockCopiedAndPastedElsewhere() {
    Session session;
    TFRX& frx = session.frx();
    QVERIFY(!frx.modified());
    pasteAt(frx, 4, 2, QStringLiteral("65\tg\t9\tB2x\n$41\tu\t300\tP\n"));
    // A paste is an edit: the table counts as unsaved, and so after an undo.
    QVERIFY(frx.modified());
    frx.clearModified(true, true);
    frx.tableEditor->undo();
    QVERIFY(frx.modified());
    frx.tableEditor->redo();
    frx.tableEditor->selectBlock(CellBlock{4, 5, 2, 5});
    frx.tableEditor->copy();
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("65\tGOTO\t9\tB2x\n65\tUset\t255\tP\n"));
    pasteAt(frx, 200, 10, QApplication::clipboard()->text());
    const TableState state = shown(frx);
    for (int line = 0; line < 2; ++line) {
        for (int column = 0; column < 4; ++column) {
            QCOMPARE(state.sheet.cell(200 + line, 10 + column),
                     state.sheet.cell(4 + line, 2 + column));
            QCOMPARE(frx.gridText(10 + column, 201 + line), frx.gridText(2 + column, 5 + line));
        }
    }
    // The pasted block is selected.
    QCOMPARE(frx.tableEditor->selectedBlock().lastColumn, 13);
    QCOMPARE(frx.tableEditor->selectedBlock().lastLine, 201);
}

void TableEditTest::wholeTableThroughTheClipboard() {
    Session session;
    TFRX& frx = session.frx();
    std::mt19937 random(7);
    const QStringList texts{"g", "c", "u", "+", "-", "P", "b3", "r", "e", "17", "$ff", "0"};
    QString table;
    for (int line = 0; line < kTableLines; ++line) {
        QStringList cells;
        for (int column = 1; column <= kLastCellColumn; ++column) {
            cells << texts[static_cast<qsizetype>(random() % texts.size())];
        }
        table += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    pasteAt(frx, 0, 1, table);
    const TableState before = shown(frx);
    frx.tableEditor->selectAll();
    frx.tableEditor->copy();
    const QString copied = QApplication::clipboard()->text();
    frx.setuptable();
    QVERIFY(shown(frx) != before);
    pasteAt(frx, 0, 1, copied);
    QVERIFY(shown(frx) == before);
    frx.tableEditor->selectAll();
    frx.tableEditor->copy();
    QCOMPARE(QApplication::clipboard()->text(), copied);
}

void TableEditTest::pastedTextIsTypedText() {
    const QStringList typed{"g", "12", "$1F", "c", "-5"};
    for (const int column : {16, 1, 7}) {
        Session pasting;
        Session typing;
        BeepCounter beeps;
        pasteAt(pasting.frx(), 30, column, typed.join(QLatin1Char('\n')));
        const int pastedBeeps = beeps.take();
        for (int n = 0; n < typed.size(); ++n) {
            typeCell(typing.frx(), 30 + n, column, typed[n]);
        }
        QCOMPARE(beeps.take(), pastedBeeps);
        QVERIFY2(shown(pasting.frx()) == shown(typing.frx()), qPrintable(QString::number(column)));
        if (column == 16) {
            QCOMPARE(pastedBeeps, 2);
            QCOMPARE(typing.frx().gridText(16, 35), QStringLiteral("251"));
        }
    }
}

void TableEditTest::undoRedoOverRandomSequences() {
    Session session;
    TFRX& frx = session.frx();
    TableEditor& editor = *frx.tableEditor;
    std::mt19937 random(2021);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const QStringList texts{"g", "c", "u", "-", "P", "B2", "e", "-e-", "7", "x", "", "$80"};
    const auto someText = [&] { return texts[pick(0, static_cast<int>(texts.size()) - 1)]; };
    bool rowChosen = false;
    for (int sequence = 0; sequence < kSequences; ++sequence) {
        frx.setuptable();
        std::vector<TableState> states{shown(frx)};
        const int steps = pick(1, 6);
        for (int step = 0; step < steps; ++step) {
            const int line = pick(0, 255);
            const int column = pick(1, 16);
            switch (pick(0, 6)) {
                case 0:
                    typeCell(frx, line, column, someText());
                    break;
                case 1: {
                    const QString text = someText() + QLatin1Char('\t') + someText() +
                                         QLatin1Char('\n') + someText();
                    pasteAt(frx, line, column, text);
                    break;
                }
                case 2:
                    frx.tableEditor->selectBlock(
                        CellBlock{line, std::min(255, line + 2), column, column});
                    editor.cut();
                    break;
                case 3:
                    frx.tableEditor->selectBlock(CellBlock{line, line, 0, 16});
                    editor.insertLines();
                    break;
                case 4:
                    frx.tableEditor->selectBlock(CellBlock{line, line, 0, 16});
                    editor.deleteLines();
                    break;
                case 5:
                    rowChosen = true;
                    frx.Bselect->setCurrentIndex(pick(0, 2));
                    frx.BselectChange();
                    break;
                default:
                    frx.Pause1->setText(QString::number(pick(0, 300)));
                    frx.Pause1Exit();
                    break;
            }
            TableState now = shown(frx);
            if (now != states.back()) {
                states.push_back(std::move(now));
            }
        }
        const QByteArray where = QByteArray::number(sequence);
        for (auto state = states.rbegin() + 1; state != states.rend(); ++state) {
            QVERIFY2(editor.history().canUndo(), where);
            editor.undo();
            QVERIFY2(shown(frx) == *state, where);
        }
        QVERIFY2(!editor.history().canUndo(), where);
        for (auto state = states.begin() + 1; state != states.end(); ++state) {
            editor.redo();
            QVERIFY2(shown(frx) == *state, where);
        }
        QVERIFY2(!editor.history().canRedo(), where);
        // Undo and redo of a choice of the row variable take the
        // configuration byte along.
        if (rowChosen) {
            QCOMPARE(frx.confdata[conf::kRowVariable],
                     static_cast<std::uint8_t>(frx.Bselect->currentIndex() + 1));
        }
    }
}

void TableEditTest::lineMovesThroughTheGrid() {
    Session session;
    TFRX& frx = session.frx();
    TableEditor& editor = *frx.tableEditor;
    QStringList notices;
    editor.setNotice([&](const QString& text, bool) { notices << text; });
    QStringList questions;
    bool answer = false;
    editor.setQuestion([&](const QStringList& lines) {
        questions << lines;
        return answer;
    });
    pasteAt(frx, 10, 1, QStringLiteral("GOTO\t20\tCALL\t255\n"));
    pasteAt(frx, 20, 1, QStringLiteral("65\tGOTO\t10\n"));
    pasteAt(frx, 255, 1, QStringLiteral("P\n"));
    const TableState before = shown(frx);

    // Line 255 is not empty: the question, and nothing happens on "no".
    editor.selectBlock(CellBlock{15, 16, 3, 3});
    editor.insertLines();
    QCOMPARE(questions.size(), 2);
    QVERIFY(shown(frx) == before);
    answer = true;
    editor.insertLines();
    QCOMPARE(frx.gridText(2, 11), QStringLiteral("22"));   // line 20 is now line 22
    QCOMPARE(frx.gridText(3, 23), QStringLiteral("10"));   // line 10 did not move
    QCOMPARE(frx.gridText(4, 11), QStringLiteral("255"));  // went off the end: reported
    QCOMPARE(notices.size(), 1);
    QVERIFY(notices.front().contains(QStringLiteral("Zeile 10 D4")));
    QCOMPARE(frx.tableEditor->selectedBlock().firstLine, 15);

    editor.selectBlock(CellBlock{5, 5, 0, 16});
    editor.deleteLines();
    QCOMPARE(frx.gridText(2, 10), QStringLiteral("21"));
    QCOMPARE(frx.gridText(3, 22), QStringLiteral("9"));
    QCOMPARE(frx.gridText(1, 256), QStringLiteral("-e-"));
    editor.undo();
    editor.undo();
    QVERIFY(shown(frx) == before);
}

void TableEditTest::savedFileIsWhatTheGridShows() {
    Session session;
    TFRX& frx = session.frx();
    pasteAt(frx, 0, 1, QStringLiteral("g\t5\tB3\t$10\tu\t200\n"));
    frx.tableEditor->selectBlock(CellBlock{0, 0, 1, 6});
    frx.tableEditor->copy();
    pasteAt(frx, 1, 3, QApplication::clipboard()->text());
    pasteAt(frx, 2, 1, QStringLiteral("7\t7\t7"));
    frx.tableEditor->undo();
    const TableState grid = shown(frx);
    const QString path = QDir::current().filePath(QStringLiteral("edited.tvx"));
    frx.setFileDialogRunner([path](QFileDialog& dialog) {
        dialog.selectFile(path);
        return true;
    });
    frx.MSpeichernClick();
    frx.setuptable();
    frx.MLadenClick();
    QVERIFY(shown(frx).sheet == grid.sheet);
    QVERIFY(!frx.tableEditor->history().canUndo());  // a load starts the history again
}

void TableEditTest::menuAndKeys() {
    Session session;
    TFRX& frx = session.frx();
    const QList<QAction*> bar = frx.menuBar()->actions();
    QCOMPARE(bar.at(0)->text(), QStringLiteral("&Datei"));
    QCOMPARE(bar.at(1)->text(), QStringLiteral("&Bearbeiten"));
    QCOMPARE(bar.at(2)->text(), QStringLiteral("&Kommunikation"));
    QSet<QChar> barKeys;
    for (QAction* entry : bar) {
        const qsizetype amp = entry->text().indexOf(QLatin1Char('&'));
        if (amp >= 0) {
            QVERIFY2(!barKeys.contains(entry->text().at(amp + 1).toLower()),
                     qPrintable(entry->text()));
            barKeys.insert(entry->text().at(amp + 1).toLower());
        }
    }
    QSet<QChar> keys;
    QSet<QKeySequence> shortcuts;
    for (QAction* action : frx.tableEditor->menu()->actions()) {
        if (action->isSeparator()) {
            continue;
        }
        const qsizetype amp = action->text().indexOf(QLatin1Char('&'));
        QVERIFY2(amp >= 0, qPrintable(action->text()));
        const QChar key = action->text().at(amp + 1).toLower();
        QVERIFY2(!keys.contains(key), qPrintable(action->text()));
        keys.insert(key);
        QVERIFY2(!action->shortcut().isEmpty(), qPrintable(action->text()));
        for (const QKeySequence& shortcut : action->shortcuts()) {
            QVERIFY2(!shortcuts.contains(shortcut), qPrintable(action->text()));
            shortcuts.insert(shortcut);
        }
    }
    // On the basic-settings page the entries rest.
    QVERIFY(!frx.findChild<QAction*>(QStringLiteral("MEinfuegen"))->isEnabled());

    // The keys on the grid: select, copy, paste, undo, redo.
    frx.show();
    QVERIFY(QTest::qWaitForWindowActive(&frx));
    frx.PPage->setCurrentWidget(frx.Pstring);
    QVERIFY(frx.findChild<QAction*>(QStringLiteral("MEinfuegen"))->isEnabled());
    pasteAt(frx, 0, 1, QStringLiteral("1\t2\n3\t4\n"));
    frx.Tabwerte->setFocus();
    frx.Tabwerte->setCurrentCell(0, 1);
    QTest::keyClick(frx.Tabwerte, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(frx.Tabwerte, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(frx.Tabwerte, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1\t2\n3\t4\n"));
    frx.Tabwerte->setCurrentCell(9, 5);
    QTest::keyClick(frx.Tabwerte, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(frx.gridText(6, 11), QStringLiteral("4"));
    QTest::keyClick(frx.Tabwerte, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(frx.gridText(6, 11), QStringLiteral("-e-"));
    QTest::keyClick(frx.Tabwerte, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(frx.gridText(6, 11), QStringLiteral("4"));
    // A click on a line number takes the whole line.
    frx.Tabwerte->setCurrentCell(3, 0);
    QCOMPARE(frx.Tabwerte->selectedRanges().front().rightColumn(), 16);
    QTest::keyClick(frx.Tabwerte, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(frx.gridText(1, 5), QStringLiteral("-e-"));
    QCOMPARE(frx.gridText(5, 12), QStringLiteral("3"));
}

void TableEditTest::findListsAndVisitsPlaces() {
    Session session;
    TFRX& frx = session.frx();
    pasteAt(frx, 3, 1, QStringLiteral("GOTO\t40\t40\n"));
    pasteAt(frx, 90, 5, QStringLiteral("CALL\t40\n"));
    frx.tableEditor->showFind();
    FindDialog* find = frx.tableEditor->findDialog();
    find->kind->setCurrentIndex(2);
    find->text->setText(QStringLiteral("40"));
    frx.Tabwerte->setCurrentCell(0, 0);
    find->next->click();
    QCOMPARE(frx.Tabwerte->currentRow(), 3);
    QCOMPARE(frx.Tabwerte->currentColumn(), 1);
    find->next->click();
    QCOMPARE(frx.Tabwerte->currentRow(), 90);
    find->previous->click();
    QCOMPARE(frx.Tabwerte->currentRow(), 3);
    find->all->click();
    QCOMPARE(find->places->count(), 2);
    QCOMPARE(find->places->item(1)->text(), QStringLiteral("Zeile 90, D5: CALL 40"));
    find->places->setCurrentRow(1);
    emit find->places->itemActivated(find->places->item(1));
    QCOMPARE(frx.Tabwerte->currentColumn(), 5);
    BeepCounter beeps;
    find->kind->setCurrentIndex(0);
    find->text->setText(QStringLiteral("41"));
    find->next->click();
    QCOMPARE(beeps.count(), 1);
    QCOMPARE(find->result->text(), QStringLiteral("nicht gefunden"));
}

}  // namespace tovrix

QTEST_MAIN(tovrix::TableEditTest)
#include "tableedit_test.moc"
