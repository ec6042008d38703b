// A file tovrix-cli reads is the file the window saves for the same
// receiver: the real window and the program against one emulator.
#include "e2e/e2efixture.h"
#include "link/statusmessages.h"

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <random>

namespace tovrix::e2e {
namespace {

// Receiver data the window corrects on its way to the file: operators and
// handshakes out of range, stale tool version bytes, an image with wrong
// markers, zero bytes and filler and no row variable (its checksum right).
ReceiverData untidyData() {
    ReceiverData data{sampleBlock(7), {}};
    data.conf[20] = 7;
    data.conf[12] = 3;
    data.conf[87] = 0;
    data.conf[88] = 9;
    data.conf[conf::kChecksum] = configChecksum(data.conf);
    std::mt19937 random(3);
    for (auto& byte : data.image) {
        byte = static_cast<std::uint8_t>(random());
    }
    data.image[image::kRowVariable] = 0;
    data.image[image::kChecksum] = imageChecksum(data.image);
    return data;
}

TFRX::FileDialogRunner choose(const QString& path) {
    return [path](QFileDialog& dialog) {
        dialog.selectFile(path);
        return true;
    };
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class WindowIdentityTest : public QObject {
    Q_OBJECT

  private slots:
    void readSavesWhatTheWindowSaves_data();
    void readSavesWhatTheWindowSaves();
};

void WindowIdentityTest::readSavesWhatTheWindowSaves_data() {
    QTest::addColumn<bool>("config");
    QTest::addColumn<bool>("table");
    QTest::newRow("both") << true << true;
    QTest::newRow("configuration") << true << false;
    QTest::newRow("table") << false << true;
}

void WindowIdentityTest::readSavesWhatTheWindowSaves() {
    QFETCH(bool, config);
    QFETCH(bool, table);
    Bench bench({QStringLiteral("--fast")}, untidyData());
    QVERIFY(bench.ready());
    TFRX& w = bench.window();
    if (config) {
        w.LeseButton->click();
        QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 5000));
        QCOMPARE(bench.infoText(), msg(StatusMessage::msgconfreadok));
    }
    if (table) {
        w.Butread64->click();
        QVERIFY(waitFor([&] { return bench.transferControlsEnabled(); }, 15000));
        QCOMPARE(bench.infoText(), msg(StatusMessage::msgtabreadok));
    }
    const QString windowFile = QDir::current().filePath(QStringLiteral("window.tvx"));
    w.setFileDialogRunner(choose(windowFile));
    w.MSpeichernClick();
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgsaved));
    // The program needs the port the window holds.
    w.RS232.Close();

    const QString cliFile = QDir::current().filePath(QStringLiteral("cli.tvx"));
    QStringList args{QStringLiteral("-q"), QStringLiteral("read"), cliFile};
    if (!(config && table)) {
        args << (config ? QStringLiteral("--config") : QStringLiteral("--table"));
    }
    QProcess cli;
    cli.start(QStringLiteral(TOVRIX_CLI_PATH), args);
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    const QByteArray saved = contents(cliFile);
    QByteArray expected = contents(windowFile);
    if (!(config && table)) {
        // A file of one part says which in its comment line; nothing else differs.
        expected.replace("comments: -reserved-",
                         config ? "comments: read: configuration" : "comments: read: table");
    }
    QCOMPARE(saved.size(), expected.size());
    QVERIFY(saved == expected);

    // And the window loads it as its own.
    w.setFileDialogRunner(choose(cliFile));
    w.MLadenClick();
    QCOMPARE(bench.infoText(), msg(StatusMessage::msgfileok));
}

}  // namespace tovrix::e2e

QTEST_MAIN(tovrix::e2e::WindowIdentityTest)
#include "window_identity_test.moc"
