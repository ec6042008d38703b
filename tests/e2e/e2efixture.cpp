#include "e2efixture.h"

#include "config/configfileio.h"
#include "link/statusmessages.h"
#include "receiver/receivermemory.h"
#include "serial/portnames.h"
#include "table/cells.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <sstream>

namespace tovrix::e2e {

Bench::Bench(const QStringList& options, const std::optional<ReceiverData>& data) {
    if (!home_.isValid() || !start_.isValid()) {
        return;
    }
    previousHome_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", home_.path().toLocal8Bit());
    QDir().mkpath(QString::fromStdString(comPortDirectory()));
    // COM2 is a device that does not exist, so no port of the machine counts.
    QFile::link(home_.filePath(QStringLiteral("no-such-device")),
                QString::fromStdString(comLinkPath(2)));

    logPath_ = start_.filePath(QStringLiteral("receiver.log")).toStdString();
    statePath_ = start_.filePath(QStringLiteral("receiver-state.tvx")).toStdString();
    if (data) {
        saveConfigurationFile(statePath_, data->conf, data->image, 1, "1.03");
    }
    std::vector<std::string> args{"--com", "1", "--log", logPath_, "--state", statePath_};
    for (const QString& option : options) {
        args.push_back(option.toStdString());
    }
    receiver_ = std::make_unique<receiver::test::ReceiverProcess>(args, home_.path().toStdString());
    if (!receiver_->waitReady()) {
        return;
    }
    previousDirectory_ = QDir::currentPath();
    QDir::setCurrent(start_.path());
    window_ = std::make_unique<TFRX>();
    window_->setErrorDisplay([this](const QString& text) { errors << text; });
    ask_ = std::make_unique<TFask>();
    window_->setAskForm(ask_.get());
    window_->inittimerTimer();
    ready_ = true;
}

Bench::~Bench() {
    // The window closes its port before the emulator goes.
    window_.reset();
    receiver_.reset();
    if (!previousDirectory_.isEmpty()) {
        QDir::setCurrent(previousDirectory_);
    }
    qputenv("XDG_CONFIG_HOME", previousHome_);
}

std::vector<LogEvent> Bench::log() const {
    std::vector<LogEvent> events;
    std::ifstream in(logPath_);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        LogEvent event;
        words >> event.ms >> event.kind;
        int value = 0;
        while (words >> value) {
            event.bytes.push_back(static_cast<std::uint8_t>(value));
        }
        events.push_back(std::move(event));
    }
    return events;
}

std::vector<Bytes> Bench::frames() const {
    std::vector<Bytes> result;
    for (const LogEvent& event : log()) {
        if (event.kind == "rx") {
            result.push_back(event.bytes);
        }
    }
    return result;
}

std::optional<ReceiverData> Bench::savedState() const {
    ReceiverData data;
    if (loadConfigurationFile(statePath_, data.conf, data.image) != FileLoadResult::loaded) {
        return std::nullopt;
    }
    return data;
}

bool Bench::showActive() {
    window_->show();
    QApplication::setActiveWindow(window_.get());
    return QTest::qWaitForWindowActive(window_.get());
}

bool Bench::pointComLink(int n, const QString& target) const {
    const QString link = QString::fromStdString(comLinkPath(n));
    QFile::remove(link);
    return QFile::link(target, link);
}

QString Bench::writeFile(const QString& name, const ReceiverData& data) const {
    const QString path = start_.filePath(name);
    return saveConfigurationFile(path.toStdString(), data.conf, data.image, 1, "1.03") ? path
                                                                                       : QString();
}

void Bench::chooseFile(const QString& path) {
    window_->setFileDialogRunner([this, path](QFileDialog& dialog) {
        ++fileDialogs;
        dialog.selectFile(path);
        return true;
    });
}

QString Bench::infoText() const {
    return window_->infoText();
}

QColor Bench::infoColour() const {
    return window_->info->palette().color(QPalette::WindowText);
}

bool Bench::transferControlsEnabled() const {
    const TFRX& w = *window_;
    return w.LeseButton->isEnabled() && w.ProgButton->isEnabled() && w.Butread64->isEnabled() &&
           w.Butwrite64->isEnabled() && w.BaudBox->isEnabled();
}

QStringList Bench::memoLines(const QPlainTextEdit* memo) const {
    return memo->toPlainText().split(QLatin1Char('\n'));
}

bool clickMenuEntry(QMenu* menu, QAction* entry) {
    menu->popup(QPoint(0, 0));
    const QRect shown = menu->actionGeometry(entry);
    if (shown.isEmpty()) {
        menu->hide();
        return false;
    }
    // The pointer goes to the entry first, as a hand moves it there.
    QTest::mouseMove(menu, shown.center());
    QTest::mouseClick(menu, Qt::LeftButton, {}, shown.center());
    // A greyed-out entry leaves the menu open.
    menu->hide();
    return true;
}

QStringList gridTexts(const TFRX& window) {
    QStringList texts;
    for (int row = 1; row <= kTableLines; ++row) {
        for (int column = 1; column <= kLineCells; ++column) {
            texts << window.gridText(column, row);
        }
    }
    return texts;
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    if (done()) {
        return true;
    }
    QEventLoop loop;
    QTimer look;
    look.setInterval(5);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    look.start();
    loop.exec();
    return done();
}

ConfData sampleBlock(std::uint8_t seed) {
    ConfData block{};
    resetConfigBlock(block);
    for (int i = 0; i < conf::kProgrammedSize; ++i) {
        if (i != conf::kChecksum) {
            block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(seed + 7 * i);
        }
    }
    for (int i = conf::kProgrammedSize; i < conf::kBlockSize; ++i) {
        block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(seed ^ i);
    }
    // The window corrects out-of-range settings when it shows a block; the
    // sample holds none, so what arrives is what is shown.
    normaliseConfigBlock(block);
    block[conf::kChecksum] = receiver::blockChecksum(block);
    return block;
}

namespace {

// A cell of the sample and the text the grid shows for it.
struct SampleCell {
    receiver::Cell cell;
    const char* shown = nullptr;  // null for a number: its value in decimal
};

// Line 40 of every sample holds each function the editor knows, with
// operands after those that take one.
constexpr int kFunctionLine = 40;
const SampleCell kFunctions[kLineCells] = {{{true, receiver::kGoto}, "GOTO"},
                                           {{false, 7}},
                                           {{true, receiver::kCall}, "CALL"},
                                           {{false, 3}},
                                           {{true, receiver::kRet}, "RET"},
                                           {{true, receiver::kPause}, "P"},
                                           {{true, receiver::kB1}, "B1"},
                                           {{true, receiver::kB2}, "B2"},
                                           {{true, receiver::kB3}, "B3"},
                                           {{true, receiver::kUset}, "Uset"},
                                           {{false, 9}},
                                           {{true, receiver::kUplus}, "U+"},
                                           {{false, 1}},
                                           {{true, receiver::kUminus}, "U-"},
                                           {{false, 2}},
                                           {{true, receiver::kEnd}, "-e-"}};

// Cell c of line n in the sample: numbers in cells 1..15 of lines 0..39,
// the functions in line 40, end cells everywhere else.
SampleCell sampleCell(std::uint8_t seed, int line, int cell) {
    if (line < kFunctionLine && cell < kLineCells - 1) {
        return {{false, static_cast<std::uint8_t>(seed + line * 16 + cell)}};
    }
    if (line == kFunctionLine) {
        return kFunctions[cell];
    }
    return {{true, receiver::kEnd}, "-e-"};
}

}  // namespace

TabData sampleImage(std::uint8_t seed) {
    TabData image = receiver::emptyTable(seed, 2, 9);
    for (int line = 0; line <= kFunctionLine; ++line) {
        for (int cell = 0; cell < kLineCells; ++cell) {
            receiver::setTableCell(image, line, cell, sampleCell(seed, line, cell).cell);
        }
    }
    receiver::sealTable(image);
    return image;
}

QStringList sampleGridTexts(std::uint8_t seed) {
    QStringList texts;
    for (int line = 0; line < kTableLines; ++line) {
        for (int cell = 0; cell < kLineCells; ++cell) {
            const SampleCell sample = sampleCell(seed, line, cell);
            texts << (sample.shown ? QString::fromLatin1(sample.shown)
                                   : QString::number(sample.cell.value));
        }
    }
    return texts;
}

QString msg(StatusMessage message) {
    return QString::fromStdString(statusText(message));
}

QString timeoutText(const QString& phase, int count) {
    QString text = phase + msg(StatusMessage::msgtimeout) + QString::number(count);
    if (count == 0) {
        text += msg(StatusMessage::msgnoanswer);
    }
    return text;
}

}  // namespace tovrix::e2e
