// Layout of the output-table page: legend, grid, row-variable selector and
// the two transfer buttons.
#include "app/griddelegate.h"
#include "app/numericedit.h"
#include "app/tfrx.h"
#include "app/transferbutton.h"
#include "widgetkit/widgetkit.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include <algorithm>
#include <vector>

namespace tovrix {

namespace {

constexpr int kCellWidth = 42;
constexpr int kLineNumberWidth = 60;
constexpr int kRowHeight = 16;
constexpr int kHeaderHeight = 20;
// The sizes above are the cells' inner sizes; each cell also carries one
// pixel of grid line on its right and bottom edge.
constexpr int kGridLine = 1;

const QColor kLegendNumber(209, 254, 203);
const QColor kNavy(0, 0, 128);
const QColor kPurple(128, 0, 128);
const QColor kLightYellow(255, 255, 172);
const QColor kLightCyan(128, 255, 255);

struct SamplePart {
    const char* text;
    QColor background;
    QColor textColour;
};

// One entry of the legend: a sample in the cell colours (several parts side
// by side, a one-pixel separator between a command and its operand) and its
// explanation.
struct LegendEntry {
    int column;
    int row;
    std::vector<std::vector<SamplePart>> samples;  // samples side by side
    const char* explanation;
};

QFont sampleFont() {
    return pixelFont(QStringLiteral("Courier New"), 13, true);
}
QFont explanationFont() {
    return pixelFont(QStringLiteral("Arial Narrow"), 13, false);
}

int sampleWidth(const std::vector<std::vector<SamplePart>>& samples) {
    const QFontMetrics metrics(sampleFont());
    int width = 0;
    for (const auto& sample : samples) {
        width += sample.empty() ? 0 : 2;  // gap between samples
        for (const SamplePart& part : sample) {
            width += metrics.horizontalAdvance(QString::fromLatin1(part.text)) + 1;
        }
    }
    return width;
}

void drawSamples(QWidget* legend, int x, int y,
                 const std::vector<std::vector<SamplePart>>& samples) {
    const QFont font = sampleFont();
    const QFontMetrics metrics(font);
    for (const auto& sample : samples) {
        bool first = true;
        for (const SamplePart& part : sample) {
            if (!first) {
                auto* separator = new QFrame(legend);
                separator->setGeometry(x, y, 1, 18);
                setBackground(separator, Qt::black);
                x += 1;
            }
            first = false;
            const QString text = QString::fromLatin1(part.text);
            const int width = metrics.horizontalAdvance(text);
            QLabel* label = makeLabel(legend, "", text, QRect(x, y, width, 18));
            label->setFont(font);
            label->setAlignment(Qt::AlignCenter);
            setBackground(label, part.background);
            setTextColour(label, part.textColour);
            x += width;
        }
        x += 2;
    }
}

QLabel* legendText(QWidget* legend, int x, int y, const QString& text) {
    QLabel* label = makeLabel(legend, "", text, QRect(x, y, 10, 18));
    label->setFont(explanationFont());
    setTextColour(label, Qt::black);
    label->adjustSize();
    label->resize(label->width(), 18);
    return label;
}

}  // namespace

void TFRX::buildTablePage() {
    buildLegend(Pstring);
    buildGrid(Pstring);
    Butread64 =
        makeTransferButton(Pstring, "Butread64", QStringLiteral("Tabelle auslesen"), 8, 500);
    Butwrite64 = makeTransferButton(Pstring, "Butwrite64", QStringLiteral("Tabelle programmieren"),
                                    396, 500);
}

void TFRX::buildLegend(QWidget* page) {
    auto* legend = placed(new QFrame(page), "Legende", QRect(4, 4, 777, 92));
    legend->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setBackground(legend, Qt::white);

    const QColor orange(255, 214, 193);
    const QColor black(Qt::black);
    const SamplePart number{" 123 ", kLegendNumber, kNavy};
    const std::vector<LegendEntry> entries{
        {0, 0, {{number}}, "beliebige Zahl 0..255 zur Datenausgabe"},
        {1,
         0,
         {{{"GOTO", kLightYellow, kPurple}, {" 123 ", kLightYellow, kPurple}}},
         "Sprungbefehl zu Zeile xxx"},
        {2,
         0,
         {{{"Uset ", kLightCyan, black}, {" 123 ", kLightCyan, black}}},
         "Ausgabe Analogwert xxx"},
        {0, 1, {{{" -e- ", Qt::white, QColor(128, 128, 128)}}}, "Ende Datenausgabe"},
        {1,
         1,
         {{{"CALL", kLightYellow, kPurple}, {" 123 ", kLightYellow, kPurple}}},
         "Sprungbefehl zu Unterroutine"},
        {2,
         1,
         {{{" U+  ", kLightCyan, black}, {" 012 ", kLightCyan, black}}},
         "Analogwert um xxx erhöhen"},
        {0,
         2,
         {{{" B1 ", orange, kPurple}}, {{" B2 ", orange, kPurple}}, {{" B3 ", orange, kPurple}}},
         "Variablen aus Datenempfang"},
        {1, 2, {{{" RET ", kLightYellow, kPurple}}}, "Ende Unterroutine /Rücksprung"},
        {2,
         2,
         {{{" U-  ", kLightCyan, black}, {" 012 ", kLightCyan, black}}},
         "Analogwert um xxx erniedrigen"},
        {0, 3, {{{"  P  ", QColor(216, 216, 216), Qt::red}}}, "Pause mit Einheit: "},
    };

    // Columns as wide as their widest sample and explanation.
    const QFontMetrics textMetrics(explanationFont());
    std::array<int, 3> samplesWide{};
    std::array<int, 3> textsWide{};
    for (const LegendEntry& entry : entries) {
        const auto c = static_cast<std::size_t>(entry.column);
        samplesWide[c] = std::max(samplesWide[c], sampleWidth(entry.samples));
        textsWide[c] = std::max(
            textsWide[c], textMetrics.horizontalAdvance(QString::fromUtf8(entry.explanation)));
    }
    constexpr int kGap = 6;
    const int used = samplesWide[0] + samplesWide[1] + samplesWide[2] + textsWide[0] +
                     textsWide[1] + textsWide[2] + 3 * kGap;
    const int spacing = std::max(4, (legend->width() - 12 - used) / 2);
    std::array<int, 3> columnX{8, 0, 0};
    for (std::size_t c = 1; c < 3; ++c) {
        columnX[c] = columnX[c - 1] + samplesWide[c - 1] + kGap + textsWide[c - 1] + spacing;
    }

    constexpr std::array<int, 4> kRowY{6, 27, 48, 69};
    QLabel* pauseText = nullptr;
    for (const LegendEntry& entry : entries) {
        const auto c = static_cast<std::size_t>(entry.column);
        const int y = kRowY[static_cast<std::size_t>(entry.row)];
        drawSamples(legend, columnX[c], y, entry.samples);
        pauseText = legendText(legend, columnX[c] + samplesWide[c] + kGap, y,
                               QString::fromUtf8(entry.explanation));
    }
    // The last entry's explanation is followed by the pause-unit field.
    const int fieldX = pauseText->x() + pauseText->width() + 2;
    Pause1 = new NumericEdit(legend, QStringLiteral("Pause1"), 3, QStringLiteral("  1"));
    pauseText->setBuddy(Pause1);
    Pause1->setGeometry(fieldX, kRowY[3] - 1, 40, 20);
    Pause1->setFont(pixelFont(QStringLiteral("Courier New"), 13, true));
    setTextColour(Pause1, Qt::red);
    legendText(legend, fieldX + 44, kRowY[3], QStringLiteral("ms"));
}

void TFRX::buildGrid(QWidget* page) {
    Tabwerte = placed(new QTableWidget(kTableLines, kLineCells + 1, page), "Tabwerte",
                      QRect(8, 100, 769, 393));
    // Not "Ausgabetabelle": that is the page's name already.
    Tabwerte->setAccessibleName(QStringLiteral("Tabellenwerte"));
    auto* header = new GridHeader(Tabwerte);
    header->setObjectName(QStringLiteral("TabwerteHeader"));
    Tabwerte->setHorizontalHeader(header);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setMinimumSectionSize(1);
    header->setDefaultSectionSize(kCellWidth + kGridLine);
    header->resizeSection(0, kLineNumberWidth + kGridLine);
    header->setFixedHeight(kHeaderHeight + kGridLine);
    header->setHighlightSections(false);
    QStringList labels{QStringLiteral("   B3")};
    for (int column = 1; column <= kLineCells; ++column) {
        labels << QStringLiteral("D%1").arg(column);
    }
    Tabwerte->setHorizontalHeaderLabels(labels);

    // Column 0 shows the line numbers itself; no row header.
    Tabwerte->verticalHeader()->hide();
    Tabwerte->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Tabwerte->verticalHeader()->setMinimumSectionSize(1);
    Tabwerte->verticalHeader()->setDefaultSectionSize(kRowHeight + kGridLine);

    Tabwerte->setFont(pixelFont(QStringLiteral("Courier New"), 15, true));
    Tabwerte->setShowGrid(true);
    Tabwerte->setGridStyle(Qt::SolidLine);
    Tabwerte->setSelectionMode(QAbstractItemView::SingleSelection);
    Tabwerte->setSelectionBehavior(QAbstractItemView::SelectItems);
    Tabwerte->setTabKeyNavigation(true);
    Tabwerte->setCornerButtonEnabled(false);
    Tabwerte->setWordWrap(false);
    Tabwerte->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    Tabwerte->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);

    gridDelegate_ = new GridDelegate(tabcells, Tabwerte);
    Tabwerte->setItemDelegate(gridDelegate_);

    // Items: line numbers in column 0 (never edited), cell texts beside them.
    for (int line = 0; line < kTableLines; ++line) {
        auto* number = new QTableWidgetItem;
        number->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        Tabwerte->setItem(line, 0, number);
        for (int column = 1; column <= kLineCells; ++column) {
            Tabwerte->setItem(line, column, new QTableWidgetItem);
        }
    }

    // The selector lies over the header's corner cell.
    Bselect = placed(new QComboBox(page), "Bselect", QRect(8, 100, 64, 24));
    Bselect->setEditable(true);
    Bselect->setInsertPolicy(QComboBox::NoInsert);
    Bselect->setCompleter(nullptr);
    Bselect->addItems(
        {QStringLiteral("   B1 ="), QStringLiteral("   B2 ="), QStringLiteral("   B3 =")});
    Bselect->setCurrentIndex(2);
    Bselect->setFont(pixelFont(QStringLiteral("Arial"), 13, true));
    Bselect->raise();
}

}  // namespace tovrix
