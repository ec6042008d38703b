#include "dialogs/fask.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include <functional>

using tovrix::askanswer;
using tovrix::TFask;

namespace {

enum class Action {
    EnterAtOnce,
    ClickJa,
    ClickNein,
    ClickQuestionThenEnter,
    TabThenEnter,
    CloseBox,
    Escape
};

// Runs ask() while `drive` acts on the open, active dialog. A dialog that is
// still open after `drive` is closed here, so a broken answer path fails the
// test instead of hanging it.
bool askWhile(TFask& dialog, const QStringList& lines, const std::function<void()>& drive,
              bool* leftOpen = nullptr) {
    QTimer::singleShot(0, &dialog, [&] {
        if (QTest::qWaitForWindowActive(&dialog)) {
            drive();
        }
        if (leftOpen != nullptr) {
            *leftOpen = dialog.isVisible();
        }
        if (dialog.isVisible()) {
            dialog.done(QDialog::Rejected);
        }
    });
    return dialog.ask(lines);
}

QWidget* focused() {
    return QApplication::focusWidget();
}

}  // namespace

Q_DECLARE_METATYPE(Action)

class FaskTest : public QObject {
    Q_OBJECT

  private slots:
    void formMatchesLayout();
    void answers_data();
    void answers();
    void everyShowingStartsWithNoAndFocusOnJa();
    void secondQuestionShowsOnlyItsOwnLines();
    void questionLinesAreCentred_data();
    void questionLinesAreCentred();
};

void FaskTest::formMatchesLayout() {
    TFask dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("Fask"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Fask"));
    QCOMPARE(dialog.size(), QSize(369, 170));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(dialog.palette().color(QPalette::Window), QColor(255, 255, 0));

    QCOMPARE(dialog.findChild<QTextEdit*>(QStringLiteral("M")), dialog.M);
    QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("JA")), dialog.JA);
    QCOMPARE(dialog.findChild<QPushButton*>(QStringLiteral("NEIN")), dialog.NEIN);

    QCOMPARE(dialog.M->toPlainText(), QStringLiteral("M"));
    QCOMPARE(dialog.M->size(), QSize(337, 57));
    QCOMPARE(dialog.M->frameShape(), QFrame::NoFrame);
    QCOMPARE(dialog.M->palette().color(QPalette::Base), QColor(255, 255, 0));
    QCOMPARE(dialog.M->palette().color(QPalette::Text), QColor(255, 0, 0));
    QVERIFY(dialog.M->font().bold());
    QCOMPARE(dialog.M->font().pixelSize(), 15);
    QCOMPARE(dialog.M->font().family(), QStringLiteral("Arial"));

    for (QPushButton* button : {dialog.JA, dialog.NEIN}) {
        QCOMPARE(button->size(), QSize(169, 33));
        QCOMPARE(button->text(), button->objectName());
        QVERIFY(button->font().bold());
        QCOMPARE(button->font().pixelSize(), 15);
    }
    QVERIFY(dialog.JA->x() < dialog.NEIN->x());

    // Both windows start centred on the desktop.
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY((dialog.geometry().center() - centre).manhattanLength() <= 2);
}

void FaskTest::answers_data() {
    QTest::addColumn<Action>("action");
    QTest::addColumn<bool>("expected");
    QTest::newRow("Enter right after opening") << Action::EnterAtOnce << true;
    QTest::newRow("JA clicked") << Action::ClickJa << true;
    QTest::newRow("NEIN clicked") << Action::ClickNein << false;
    QTest::newRow("click into the question, Enter") << Action::ClickQuestionThenEnter << false;
    QTest::newRow("Tab into the question, Enter") << Action::TabThenEnter << false;
    QTest::newRow("close box") << Action::CloseBox << false;
    QTest::newRow("Escape") << Action::Escape << false;
}

void FaskTest::answers() {
    QFETCH(Action, action);
    QFETCH(bool, expected);

    TFask dialog;
    // The previous answer must not leak into this one.
    askanswer = !expected;
    bool leftOpen = true;
    const bool answer = askWhile(
        dialog, {QStringLiteral("Frage?")},
        [&] {
            QTRY_COMPARE(focused(), dialog.JA);
            switch (action) {
                case Action::EnterAtOnce:
                    QTest::keyClick(focused(), Qt::Key_Return);
                    break;
                case Action::ClickJa:
                    QTest::mouseClick(dialog.JA, Qt::LeftButton);
                    break;
                case Action::ClickNein:
                    QTest::mouseClick(dialog.NEIN, Qt::LeftButton);
                    break;
                case Action::ClickQuestionThenEnter:
                    QTest::mouseClick(dialog.M->viewport(), Qt::LeftButton);
                    QTRY_COMPARE(focused(), dialog.NEIN);
                    QTest::keyClick(focused(), Qt::Key_Return);
                    break;
                case Action::TabThenEnter:
                    QTest::keyClick(focused(), Qt::Key_Tab);
                    QTRY_COMPARE(focused(), dialog.NEIN);
                    QTest::keyClick(focused(), Qt::Key_Enter);
                    break;
                case Action::CloseBox:
                    dialog.close();
                    break;
                case Action::Escape:
                    QTest::keyClick(focused(), Qt::Key_Escape);
                    break;
            }
        },
        &leftOpen);

    QVERIFY2(!leftOpen, "the action did not close the dialog");
    QCOMPARE(answer, expected);
    QCOMPARE(askanswer, expected);
    // The question text itself is never changed by the keys that reached it.
    QCOMPARE(dialog.M->toPlainText(), QStringLiteral("Frage?"));
}

void FaskTest::everyShowingStartsWithNoAndFocusOnJa() {
    TFask dialog;
    for (int round = 0; round < 3; ++round) {
        askanswer = true;
        dialog.show();
        // Without a window manager (bare X server) a re-shown window is not
        // activated by itself.
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(askanswer, false);
        QTRY_COMPARE(focused(), dialog.JA);

        // Leave the focus elsewhere; the next showing must put it back.
        QTest::mouseClick(dialog.M->viewport(), Qt::LeftButton);
        QTRY_COMPARE(focused(), dialog.NEIN);
        QTest::mouseClick(dialog.JA, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(askanswer, true);
    }
}

void FaskTest::secondQuestionShowsOnlyItsOwnLines() {
    TFask dialog;
    const QStringList first{QStringLiteral("!!!  Neue Datei erstellen  !!!"),
                            QStringLiteral("alle Werte zurücksetzen ?"), QStringLiteral("drei")};
    const QStringList second{QStringLiteral("zweite Frage"), QStringLiteral("<b>kein HTML</b>")};

    QString shownFirst;
    QString shownSecond;
    askWhile(dialog, first, [&] { shownFirst = dialog.M->toPlainText(); });
    askWhile(dialog, second, [&] { shownSecond = dialog.M->toPlainText(); });

    QCOMPARE(shownFirst, first.join(QLatin1Char('\n')));
    QCOMPARE(shownSecond, second.join(QLatin1Char('\n')));
}

void FaskTest::questionLinesAreCentred_data() {
    QTest::addColumn<bool>("throughAsk");
    QTest::newRow("ask()") << true;
    QTest::newRow("clear and append, as a caller may do") << false;
}

void FaskTest::questionLinesAreCentred() {
    QFETCH(bool, throughAsk);
    TFask dialog;
    const QStringList lines{QStringLiteral("!!!  Neue Datei erstellen  !!!"),
                            QStringLiteral("ja?")};
    bool checked = false;
    const auto check = [&] {
        const qreal width = dialog.M->document()->textWidth();
        int blocks = 0;
        for (QTextBlock block = dialog.M->document()->begin(); block.isValid();
             block = block.next(), ++blocks) {
            const QTextLine line = block.layout()->lineAt(0);
            QVERIFY(line.isValid());
            // The rectangle includes the offset the alignment gives the line.
            const qreal middle =
                block.layout()->position().x() + line.naturalTextRect().center().x();
            QVERIFY2(qAbs(middle - width / 2) < 3.0,
                     qPrintable(
                         QStringLiteral("%1: %2 of %3").arg(block.text()).arg(middle).arg(width)));
        }
        QCOMPARE(blocks, lines.size());
        checked = true;
    };
    if (throughAsk) {
        askWhile(dialog, lines, check);
    } else {
        dialog.M->clear();
        for (const QString& line : lines) {
            dialog.M->append(line);
        }
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        check();
    }
    QVERIFY(checked);
}

QTEST_MAIN(FaskTest)
#include "fask_test.moc"
