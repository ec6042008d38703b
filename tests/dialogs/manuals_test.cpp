#include "dialogs/manuals.h"
#include "dialogs/helpform.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

using tovrix::ManualLanguage;
using tovrix::manualText;

namespace {

bool isBorder(const QString& line) {
    return line.size() > 2 && line.startsWith(QLatin1Char('+')) &&
           line.endsWith(QLatin1Char('+')) &&
           line.mid(1, line.size() - 2).count(QLatin1Char('-')) == line.size() - 2;
}

// The framed blocks of a manual: the lines between each pair of borders.
// Fails the test when a frame is broken (unequal widths, missing sides or an
// unclosed frame).
QList<QStringList> framesOf(const QStringList& lines) {
    QList<QStringList> frames;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!isBorder(lines[i])) {
            continue;
        }
        const QString& top = lines[i];
        QStringList inside;
        qsizetype j = i + 1;
        for (; j < lines.size() && !isBorder(lines[j]); ++j) {
            const QString& line = lines[j];
            if (line.size() != top.size() || !line.startsWith(QLatin1Char('|')) ||
                !line.endsWith(QLatin1Char('|'))) {
                qWarning("frame side broken at line %lld: %s", static_cast<long long>(j + 1),
                         qPrintable(line));
                return {};
            }
            inside << line.mid(1, line.size() - 2).trimmed();
        }
        if (j == lines.size() || lines[j] != top) {
            qWarning("frame opened at line %lld is not closed", static_cast<long long>(i + 1));
            return {};
        }
        frames << inside;
        i = j;
    }
    return frames;
}

}  // namespace

Q_DECLARE_METATYPE(ManualLanguage)

class ManualsTest : public QObject {
    Q_OBJECT

  private slots:
    void manualIsFramedAndComplete_data();
    void manualIsFramedAndComplete();
    void everyLineFitsTheMemo_data();
    void everyLineFitsTheMemo();
    void helpWindowShowsBothManuals();
};

void ManualsTest::manualIsFramedAndComplete_data() {
    QTest::addColumn<ManualLanguage>("language");
    QTest::addColumn<int>("minimumLines");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("footerWords");
    QTest::addColumn<QStringList>("topics");

    QTest::newRow("German") << ManualLanguage::German << 400
                            << QStringLiteral("- Kurzhilfe zur Software v1.05 -")
                            << QStringList{"kostenlos", "weitergegeben", "unverändert", "Haftung",
                                           "Fehler"}
                            << QStringList{"Konfiguration auslesen",
                                           "Konfiguration programmieren",
                                           "Tabelle auslesen",
                                           "Tabelle programmieren",
                                           "Bitlänge",
                                           "Prüfschärfe",
                                           "AND",
                                           "~",
                                           "Sperrzeit",
                                           "10 ms",
                                           "RTS standard",
                                           "CTS reverse",
                                           "offset / gain änderbar",
                                           "1024",
                                           "Uset",
                                           "U+",
                                           "U-",
                                           "-e-",
                                           "GOTO",
                                           "CALL",
                                           "RET",
                                           "Pause mit Einheit",
                                           "B1 =",
                                           "Initialisierungsstring",
                                           ".tvx",
                                           "2.7 Grundeinstellung auslesen und programmieren",
                                           "3.3 Tabelle auslesen und programmieren",
                                           "4. Speichern und Laden"};
    QTest::newRow("English") << ManualLanguage::English << 100
                             << QStringLiteral("- quick help v1.05 -")
                             << QStringList{"free", "pass it on", "must not", "liability"}
                             << QStringList{"Baud rate",
                                            "Repeat time-out",
                                            "Transmitter selection",
                                            "Handshake",
                                            "Acceptance conditions",
                                            "Break time",
                                            "Init string",
                                            "GOTO",
                                            "CALL",
                                            "RET",
                                            "Example 2",
                                            ".tvx"};
}

void ManualsTest::manualIsFramedAndComplete() {
    QFETCH(ManualLanguage, language);
    QFETCH(int, minimumLines);
    QFETCH(QString, title);
    QFETCH(QStringList, footerWords);
    QFETCH(QStringList, topics);

    const QString text = manualText(language);
    const QStringList lines = text.split(QLatin1Char('\n'));
    QVERIFY2(lines.size() >= minimumLines, qPrintable(QString::number(lines.size())));
    QVERIFY(!text.contains(QLatin1Char('\t')));
    QVERIFY(!text.contains(QLatin1Char('\r')));
    // A text read with the wrong encoding would show replacement characters.
    QVERIFY(!text.contains(QChar::ReplacementCharacter));

    const QList<QStringList> frames = framesOf(lines);
    QCOMPARE(frames.size(), 2);
    QVERIFY2(isBorder(lines.front()), "the manual starts with its framed header");
    QVERIFY2(isBorder(lines.at(lines.size() - 2)), "the manual ends with its framed footer");

    const QStringList& header = frames.front();
    QVERIFY(header.contains(title));
    QVERIFY2(header.join(QLatin1Char(' ')).contains(QStringLiteral("1.03")),
             "the header names the minimum firmware");
    const QString footer = frames.back().join(QLatin1Char(' '));
    for (const QString& word : footerWords) {
        QVERIFY2(footer.contains(word), qPrintable(word));
    }
    for (const QString& topic : topics) {
        QVERIFY2(text.contains(topic), qPrintable(topic));
    }
}

void ManualsTest::everyLineFitsTheMemo_data() {
    QTest::addColumn<ManualLanguage>("language");
    QTest::newRow("German") << ManualLanguage::German;
    QTest::newRow("English") << ManualLanguage::English;
}

// The memos do not wrap lines (that would tear the frames apart), so every
// line must fit the visible width.
void ManualsTest::everyLineFitsTheMemo() {
    QFETCH(ManualLanguage, language);
    tovrix::Thelpform form;
    QPlainTextEdit* memo = language == ManualLanguage::German ? form.MemoD : form.MemoE;
    form.show();
    memo->show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    const QFontMetrics metrics(memo->font());
    QVERIFY(metrics.horizontalAdvance(QLatin1Char('i')) ==
            metrics.horizontalAdvance(QLatin1Char('M')));
    const int usable =
        memo->viewport()->width() - 2 * static_cast<int>(memo->document()->documentMargin());
    for (const QString& line : manualText(language).split(QLatin1Char('\n'))) {
        QVERIFY2(metrics.horizontalAdvance(line) <= usable, qPrintable(line));
    }
}

void ManualsTest::helpWindowShowsBothManuals() {
    tovrix::Thelpform form;
    QCOMPARE(form.MemoD->toPlainText(), manualText(ManualLanguage::German));
    QCOMPARE(form.MemoE->toPlainText(), manualText(ManualLanguage::English));
    QVERIFY(form.MemoD->document()->firstBlock().text().startsWith(QLatin1Char('+')));
}

QTEST_MAIN(ManualsTest)
#include "manuals_test.moc"
