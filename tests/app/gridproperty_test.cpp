// The output-table grid as a property: whatever a user types, deletes,
// undoes, cancels, commits, clicks and switches, once an edit has ended the
// grid's texts and colours, the cell model and the image a transfer would
// send all agree, and the cells hold what the user typed. Random edit
// sequences go through the real grid and its real cell editor with key and
// mouse events; each sequence has its own seed, printed when it fails
// (TOVRIX_GRID_SEED=<seed> runs that one alone).
#include "app/griddelegate.h"
#include "app/tfrx.h"
#include "common/beep_counter.h"
#include "table/gridedit.h"
#include "table/image.h"
#include "windowfixture.h"

#include <QKeySequence>
#include <QLineEdit>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <optional>
#include <random>
#include <set>
#include <span>

namespace tovrix {

namespace {

constexpr int kSequences = 10000;
constexpr int kMaxSteps = 14;
// Sequences start in these grid rows; Tab and the arrow keys may carry the
// current cell a few rows further.
constexpr int kFirstRow = 1;
constexpr int kLastRow = 2;

// Characters that reach every rule of the classifier, and a few that read as
// a number or as nothing at all.
const QString kTypedCharacters = QStringLiteral("gGcCuU+-eEpPbB123rR059 x$");

const TabCell& modelCell(const TabCells& cells, int column, int row) {
    return cells[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
}

// What a grid text says its cell is, or nothing for a text the grid must
// not show once an edit has ended.
std::optional<TabCell> cellShown(const QString& text) {
    for (const std::uint8_t code :
         {fcEnd, fcGoto, fcCall, fcRet, fcPause, fcUset, fcUplus, fcUminus}) {
        const std::string_view display = functionDisplayText(code);
        if (text == QLatin1StringView(display.data(), static_cast<qsizetype>(display.size()))) {
            return TabCell{kFunctionCell, code};
        }
    }
    // "B2" followed by anything is B2 as the user typed it.
    if (text.size() >= 2 && text[0] == QLatin1Char('B') && text[1] >= QLatin1Char('1') &&
        text[1] <= QLatin1Char('3')) {
        return TabCell{kFunctionCell, static_cast<std::uint8_t>(text[1].unicode() - '0')};
    }
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (ok && value <= 255 && QString::number(value) == text) {
        return TabCell{kNumberCell, static_cast<std::uint8_t>(value)};
    }
    return std::nullopt;
}

// What a user can do: typing, clicking and switching pages, and keys that
// go to an open cell editor.
struct Step {
    int weight;  // in per cent of the steps taken while editing / not editing
    const char* action;
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};
const Step kEditing[] = {
    {40, "type"},
    {12, "Backspace", Qt::Key_Backspace},
    {4, "Undo", Qt::Key_Z, Qt::ControlModifier},
    {8, "Escape", Qt::Key_Escape},
    {8, "Return", Qt::Key_Return},
    {4, "Enter", Qt::Key_Enter, Qt::KeypadModifier},
    {6, "Tab", Qt::Key_Tab},
    {4, "Backtab", Qt::Key_Backtab, Qt::ShiftModifier},
    {6, "click"},
    {4, "page"},
    {4, "build"},  // a transfer or a save starts while the cell is being edited
};
constexpr std::size_t kEscape = 3;
constexpr std::size_t kReturn = 4;
const Step kNotEditing[] = {{45, "type"},  {10, "F2"},   {15, "double-click"},
                            {15, "click"}, {10, "move"}, {5, "page"}};

// The cell a committed text makes, judged on its own.
TabCell committedCell(const QString& text, int column) {
    static TabCells scratch;
    resetTable(scratch);
    applyEditText(scratch, 0, column, text.toStdString());
    normaliseCell(scratch, 0, column, text.toStdString());
    return scratch[0][static_cast<std::size_t>(column - 1)];
}

QString describe(const TabCell& cell) {
    if (cell.flag == kNumberCell) {
        return QStringLiteral("number %1").arg(cell.value);
    }
    return QStringLiteral("function %1").arg(cell.value);
}

// One open cell editor as the test follows it.
struct OpenEdit {
    int column = 0;
    int row = 0;
    TabCells start;          // the model when the editor opened
    bool changed = false;    // the user changed the editor's text
    bool jumpTyped = false;  // some text on the way was a GOTO or CALL
};

// Runs random edit sequences on one window.
class GridSession {
  public:
    explicit GridSession(TFRX& frx) : frx_(frx) {}

    // One sequence from the given seed; empty when every check held,
    // otherwise what failed and the steps that led there.
    QString run(std::uint32_t seed) {
        random_.seed(seed);
        steps_.clear();
        failure_.clear();
        edit_.reset();
        resetWatchedRows();
        const int steps = pick(1, kMaxSteps);
        for (int step = 0; step < steps && failure_.isEmpty(); ++step) {
            act(editor() != nullptr);
        }
        if (failure_.isEmpty() && editor() != nullptr) {
            perform(kEditing[chance(50) ? kReturn : kEscape]);
        }
        if (failure_.isEmpty()) {
            checkImage();
        }
        if (failure_.isEmpty()) {
            return {};
        }
        return QStringLiteral("seed %1: %2\n  steps: %3")
            .arg(seed)
            .arg(failure_, steps_.join(", "));
    }

  private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool chance(int percent) { return pick(1, 100) <= percent; }

    QLineEdit* editor() const {
        return frx_.Tabwerte->findChild<QLineEdit*>(QStringLiteral("TabwerteEditor"));
    }

    // Delivers what the grid leaves for later: the commit after Return and
    // the deletion of closed editors. Timers stay where they are, so a
    // sequence depends on nothing but its seed.
    static void settle() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void fail(const QString& what) {
        if (failure_.isEmpty()) {
            failure_ = what;
        }
    }

    // The watched rows of the last sequence become end cells again, then the
    // first rows get random content and the current cell a random place.
    void resetWatchedRows() {
        for (const int row : watched_) {
            frx_.tabcells[static_cast<std::size_t>(row - 1)].fill(endCell());
            for (int column = kFirstCellColumn; column <= kLastCellColumn; ++column) {
                frx_.writecell(column, row);
            }
        }
        watched_.clear();
        static constexpr std::uint8_t kFunctions[] = {fcPause, fcB1,  fcB2,   fcB3,    fcGoto,
                                                      fcCall,  fcRet, fcUset, fcUplus, fcUminus};
        for (int row = kFirstRow; row <= kLastRow; ++row) {
            watched_.insert(row);
            for (int column = kFirstCellColumn; column <= kLastCellColumn; ++column) {
                TabCell& cell = frx_.tabcells[static_cast<std::size_t>(row - 1)]
                                             [static_cast<std::size_t>(column - 1)];
                switch (pick(0, 2)) {
                    case 0:
                        cell = endCell();
                        break;
                    case 1:
                        cell = TabCell{kNumberCell, static_cast<std::uint8_t>(pick(0, 255))};
                        break;
                    default:
                        cell = TabCell{kFunctionCell, kFunctions[pick(0, 9)]};
                        break;
                }
                frx_.writecell(column, row);
            }
        }
        if (frx_.PPage->currentWidget() != frx_.Pstring) {
            frx_.PPage->setCurrentWidget(frx_.Pstring);
        }
        frx_.Tabwerte->setCurrentCell(pick(kFirstRow, kLastRow) - 1, pick(0, kLastCellColumn));
        frx_.Tabwerte->setFocus();
    }

    // One step, drawn by weight from what a user can do at this moment.
    void act(bool editing) {
        int roll = pick(1, 100);
        for (const Step& step :
             editing ? std::span<const Step>(kEditing) : std::span<const Step>(kNotEditing)) {
            roll -= step.weight;
            if (roll <= 0) {
                perform(step);
                return;
            }
        }
    }

    QRect cellRect(int column, int row) const {
        return frx_.Tabwerte->visualItemRect(frx_.Tabwerte->item(row - 1, column));
    }

    // A cell of the first rows (or the row after them) other than the current one.
    std::pair<int, int> otherCell() {
        for (;;) {
            const int column = pick(0, kLastCellColumn);
            const int row = pick(kFirstRow, kLastRow + 1);
            if (column != frx_.Tabwerte->currentColumn() ||
                row != frx_.Tabwerte->currentRow() + 1) {
                return {column, row};
            }
        }
    }

    void perform(const Step& chosen) {
        const QString action = QLatin1String(chosen.action);
        QLineEdit* open = editor();
        const QPointer<QLineEdit> wasOpen = open;
        const TabCells before = frx_.tabcells;
        QString step = action;
        QWidget* viewport = frx_.Tabwerte->viewport();
        if (action == QLatin1String("type") && !open && frx_.Tabwerte->currentColumn() == 0) {
            // Keys typed on a line number search the column, with a timeout
            // measured on the clock; the sequences keep to what they control.
            step = QStringLiteral("move Right");
            QTest::keyClick(frx_.Tabwerte, Qt::Key_Right);
        } else if (action == QLatin1String("type")) {
            const QChar typed =
                kTypedCharacters[pick(0, static_cast<int>(kTypedCharacters.size()) - 1)];
            step += QStringLiteral(" '%1'").arg(typed);
            QTest::keyClick(open ? static_cast<QWidget*>(open) : frx_.Tabwerte, typed.toLatin1());
        } else if (chosen.key != Qt::Key_unknown) {
            QTest::keyClick(open, chosen.key, chosen.modifiers);
        } else if (action == QLatin1String("F2")) {
            QTest::keyClick(frx_.Tabwerte, Qt::Key_F2);
        } else if (action == QLatin1String("move")) {
            static constexpr Qt::Key kKeys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,
                                                Qt::Key_Down, Qt::Key_Tab};
            const Qt::Key key = kKeys[pick(0, 4)];
            step += QStringLiteral(" %1").arg(QKeySequence(key).toString());
            QTest::keyClick(frx_.Tabwerte, key);
        } else if (action == QLatin1String("click") || action == QLatin1String("double-click")) {
            const auto [column, row] = otherCell();
            step += QStringLiteral(" D%1/%2").arg(column).arg(row);
            const QPoint at = cellRect(column, row).center();
            QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
            if (action == QLatin1String("double-click")) {
                // The second press of a double-click arrives as the double-click event.
                QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
                QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
            }
        } else if (action == QLatin1String("page")) {
            QTabBar* tabs = frx_.PPage->tabBar();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        } else if (action == QLatin1String("build")) {
            frx_.Build64K();
        }
        settle();
        // Each step with where it left the current cell and its editor.
        steps_ << QStringLiteral("%1 [then D%2/%3, %4]")
                      .arg(step)
                      .arg(frx_.Tabwerte->currentColumn())
                      .arg(frx_.Tabwerte->currentRow() + 1)
                      .arg(editor() ? QStringLiteral("editing") : QStringLiteral("not editing"));
        watched_.insert(frx_.Tabwerte->currentRow() + 1);
        follow(action, before, wasOpen);
        if (action == QLatin1String("build") && failure_.isEmpty()) {
            checkImage();
        }
    }

    // Ends, continues or starts the edit the test follows, checking each
    // edit that ended against what the user did.
    void follow(const QString& action, const TabCells& before, const QPointer<QLineEdit>& wasOpen) {
        QLineEdit* now = editor();
        const int column = frx_.Tabwerte->currentColumn();
        const int row = frx_.Tabwerte->currentRow() + 1;
        if (edit_) {
            const bool sameEdit = now != nullptr && now == wasOpen;
            if (sameEdit) {
                noteText(now->text());
            } else {
                if (action == QLatin1String("Escape")) {
                    checkCancelled();
                } else {
                    checkCommitted(lastText_);
                }
                edit_.reset();
            }
        }
        if (now != nullptr && !edit_) {
            // A key typed on the grid opens the editor with that key already
            // judged; any other way opens it untouched.
            const bool typedOpen = action == QLatin1String("type");
            edit_ = OpenEdit{column, row, typedOpen ? before : frx_.tabcells, typedOpen, false};
            lastText_ = now->text();
            if (typedOpen) {
                edit_->jumpTyped =
                    classifyEditText(lastText_.toStdString(), column).nextBecomesNumber;
            }
            QObject::connect(now, &QLineEdit::textEdited, now, [this](const QString& text) {
                if (edit_) {
                    edit_->changed = true;
                    edit_->jumpTyped |=
                        classifyEditText(text.toStdString(), edit_->column).nextBecomesNumber;
                }
            });
        }
        if (!edit_ || !edit_->changed) {
            checkAgreement();
        }
    }

    void noteText(const QString& text) {
        if (text != lastText_) {
            edit_->changed = true;
            edit_->jumpTyped |=
                classifyEditText(text.toStdString(), edit_->column).nextBecomesNumber;
            lastText_ = text;
        }
    }

    void checkCancelled() {
        for (const int row : watched_) {
            for (int column = kFirstCellColumn; column <= kLastCellColumn; ++column) {
                if (modelCell(frx_.tabcells, column, row) != modelCell(edit_->start, column, row)) {
                    fail(QStringLiteral("after Escape D%1/%2 holds %3 instead of %4")
                             .arg(column)
                             .arg(row)
                             .arg(describe(modelCell(frx_.tabcells, column, row)),
                                  describe(modelCell(edit_->start, column, row))));
                }
            }
        }
    }

    void checkCommitted(const QString& text) {
        const int editedColumn = edit_->column;
        const int editedRow = edit_->row;
        for (const int row : watched_) {
            for (int column = kFirstCellColumn; column <= kLastCellColumn; ++column) {
                const TabCell& was = modelCell(edit_->start, column, row);
                TabCell expected = was;
                if (row == editedRow && column == editedColumn && edit_->changed) {
                    expected = committedCell(text, column);
                } else if (row == editedRow && column == editedColumn + 1 && edit_->jumpTyped) {
                    // Turned into a number cell; a function's text reads as 0.
                    expected =
                        TabCell{kNumberCell, was.flag == kNumberCell ? was.value : std::uint8_t{0}};
                }
                const TabCell& is = modelCell(frx_.tabcells, column, row);
                if (is != expected) {
                    fail(QStringLiteral("after committing \"%1\" in D%2/%3, D%4/%5 holds %6 "
                                        "instead of %7")
                             .arg(text)
                             .arg(editedColumn)
                             .arg(editedRow)
                             .arg(column)
                             .arg(row)
                             .arg(describe(is), describe(expected)));
                }
            }
        }
    }

    // Every watched cell shows its model cell in the canonical text and is
    // drawn in the colours of what it shows.
    void checkAgreement() {
        TabCells shown = frx_.tabcells;
        for (const int row : watched_) {
            for (int column = kFirstCellColumn; column <= kLastCellColumn; ++column) {
                const QString text = frx_.gridText(column, row);
                const std::optional<TabCell> cell = cellShown(text);
                if (!cell) {
                    fail(QStringLiteral("D%1/%2 shows \"%3\", which is not the text of a cell")
                             .arg(column)
                             .arg(row)
                             .arg(text));
                    return;
                }
                shown[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)] =
                    *cell;
                if (*cell != modelCell(frx_.tabcells, column, row)) {
                    fail(QStringLiteral("D%1/%2 shows \"%3\" but the model holds %4")
                             .arg(column)
                             .arg(row)
                             .arg(text, describe(modelCell(frx_.tabcells, column, row))));
                    return;
                }
            }
        }
        for (const int row : watched_) {
            for (int column = kFirstCellColumn; column <= kLastCellColumn; ++column) {
                const GridCellLook drawn = gridCellLook(frx_.tabcells, column, row);
                const GridCellLook meant = gridCellLook(shown, column, row);
                if (drawn.background != meant.background || drawn.text != meant.text) {
                    fail(QStringLiteral("D%1/%2 is drawn in the colours of another kind")
                             .arg(column)
                             .arg(row));
                    return;
                }
            }
        }
    }

    // What a transfer or a save would send is what the grid shows.
    void checkImage() {
        if (editor() == nullptr) {
            frx_.Build64K();
        }
        const DecodedImage decoded = decodeImage(frx_.tabdata);
        if (!decoded.checksumOk) {
            fail(QStringLiteral("the built image has a wrong checksum"));
        }
        for (const int row : watched_) {
            if (decoded.cells[static_cast<std::size_t>(row - 1)] !=
                frx_.tabcells[static_cast<std::size_t>(row - 1)]) {
                fail(QStringLiteral("line %1 of the built image differs from the model")
                         .arg(row - 1));
            }
        }
        checkAgreement();
    }

    TFRX& frx_;
    std::mt19937 random_;
    std::set<int> watched_;
    std::optional<OpenEdit> edit_;
    QString lastText_;
    QStringList steps_;
    QString failure_;
};

}  // namespace

class GridPropertyTest : public QObject {
    Q_OBJECT

  private slots:
    void randomEditSequencesKeepGridModelAndImageInStep();
};

void GridPropertyTest::randomEditSequencesKeepGridModelAndImageInStep() {
    test::WindowFixture fixture;
    TFRX& frx = fixture.startWindow();
    frx.show();
    frx.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frx));
    frx.PPage->setCurrentWidget(frx.Pstring);
    // What is drawn comes from the model alone; not painting saves the time.
    frx.setUpdatesEnabled(false);
    test::BeepCounter beeps;  // unreadable numbers beep; nobody needs to hear it

    GridSession session(frx);
    const QByteArray only = qgetenv("TOVRIX_GRID_SEED");
    if (!only.isEmpty()) {
        const QString failure = session.run(only.toUInt());
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        return;
    }
    for (std::uint32_t seed = 1; seed <= kSequences; ++seed) {
        const QString failure = session.run(seed);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
}

}  // namespace tovrix

QTEST_MAIN(tovrix::GridPropertyTest)
#include "gridproperty_test.moc"
