#pragma once

#include "app/tfrx.h"
#include "serial/portnames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <memory>
#include <string>

namespace tovrix::test {

// A main window started in a fresh temporary folder, with COM1 and COM2
// pointing at devices that do not exist, so that no real port on the machine
// can change what a test sees.
class WindowFixture {
  public:
    WindowFixture() {
        QVERIFY(home_.isValid());
        QVERIFY(start_.isValid());
        qputenv("XDG_CONFIG_HOME", home_.path().toLocal8Bit());
        QVERIFY(QDir().mkpath(QString::fromStdString(comPortDirectory())));
        for (int n = 1; n <= 2; ++n) {
            const QString missing = home_.filePath(QStringLiteral("no-such-device-%1").arg(n));
            QVERIFY(QFile::link(missing, QString::fromStdString(comLinkPath(n))));
        }
        previousDirectory_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(start_.path()));
    }

    ~WindowFixture() { QDir::setCurrent(previousDirectory_); }

    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    // The start folder, where the settings file lives.
    QString startDir() const { return start_.path(); }
    QString settingsPath() const { return start_.filePath(QStringLiteral("tvx.ini")); }

    void writeSettings(const QStringList& lines) const {
        QFile file(settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (const QString& line : lines) {
            file.write(line.toLocal8Bit() + "\r\n");
        }
    }

    // Creates the window and runs its start-up step at once instead of
    // waiting for the timer.
    TFRX& startWindow() {
        window_ = std::make_unique<TFRX>();
        window_->inittimerTimer();
        return *window_;
    }

    TFRX& window() { return *window_; }

  private:
    QTemporaryDir home_;
    QTemporaryDir start_;
    QString previousDirectory_;
    std::unique_ptr<TFRX> window_;
};

// Types text into grid cell (line, column) with the grid's own editor, as a
// user does (an empty text deletes the cell's text), and presses Return.
inline void typeCell(TFRX& frx, int line, int column, const QString& text) {
    frx.Tabwerte->setCurrentCell(line, column);
    frx.Tabwerte->editItem(frx.Tabwerte->item(line, column));
    auto* editor = frx.Tabwerte->findChild<QLineEdit*>(QStringLiteral("TabwerteEditor"));
    QVERIFY(editor);
    editor->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(editor, Qt::Key_Delete);
    } else {
        QTest::keyClicks(editor, text);
    }
    QTest::keyClick(editor, Qt::Key_Return);
    // The grid takes the text after the key has been handled.
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!frx.Tabwerte->findChild<QLineEdit*>(QStringLiteral("TabwerteEditor")));
}

// A settings file as the program writes it.
inline QStringList settingsLines(const QString& directory) {
    return {QStringLiteral("#language#"),  QStringLiteral("deutsch"),
            QStringLiteral("#directory#"), directory,
            QStringLiteral("#COM#"),       QStringLiteral("1"),
            QStringLiteral("#Baudrate#"),  QStringLiteral("12"),
            QStringLiteral("#WDH#"),       QStringLiteral("0"),
            QStringLiteral("#posmain#"),   QStringLiteral("40"),
            QStringLiteral("50"),          QStringLiteral("#poshelp#"),
            QStringLiteral("60"),          QStringLiteral("70")};
}

}  // namespace tovrix::test
