// The program as the desktop sees it: its identity (window class, desktop
// entry, icon) and Qt's own texts in the language of the settings file.
#include "app/desktopidentity.h"
#include "app/tfrx.h"
#include "windowfixture.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace tovrix {

using test::WindowFixture;

namespace {

// The value of a key in the desktop entry built for installation.
QString desktopEntryValue(const QString& key) {
    QFile entry(QStringLiteral(TOVRIX_DESKTOP_ENTRY));
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    const QString prefix = key + QLatin1Char('=');
    while (!entry.atEnd()) {
        const QString line = QString::fromUtf8(entry.readLine()).trimmed();
        if (line.startsWith(prefix)) {
            return line.mid(prefix.size());
        }
    }
    return {};
}

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

  private slots:
    void identityMatchesTheDesktopEntry();
    void qtTextsFollowTheLanguage_data();
    void qtTextsFollowTheLanguage();
};

void DesktopTest::identityMatchesTheDesktopEntry() {
    applyDesktopIdentity();
    // The desktop finds the running window by its class and its entry's name.
    QCOMPARE(QCoreApplication::applicationName(),
             desktopEntryValue(QStringLiteral("StartupWMClass")));
    QCOMPARE(QGuiApplication::desktopFileName() + QStringLiteral(".desktop"),
             QFileInfo(QStringLiteral(TOVRIX_DESKTOP_ENTRY)).fileName());
    QCOMPARE(desktopEntryValue(QStringLiteral("Icon")), QGuiApplication::desktopFileName());
    // Run from the build tree, where no theme has the icon, the window still
    // has one at the sizes title bars and task switchers ask for.
    const QIcon icon = QApplication::windowIcon();
    for (int size : {16, 32, 48, 256}) {
        QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
                 qPrintable(QString::number(size)));
        QVERIFY(!icon.pixmap(size).isNull());
    }
}

void DesktopTest::qtTextsFollowTheLanguage_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("cancel");
    QTest::addColumn<QString>("save");
    QTest::newRow("deutsch") << "deutsch"
                             << "Abbrechen"
                             << "S&peichern";
    QTest::newRow("english") << "english"
                             << "Cancel"
                             << "&Save";
}

void DesktopTest::qtTextsFollowTheLanguage() {
    QFETCH(QString, language);
    QFETCH(QString, cancel);
    QFETCH(QString, save);
    WindowFixture fixture;
    QStringList lines = test::settingsLines(fixture.startDir());
    lines[1] = language;
    fixture.writeSettings(lines);
    TFRX& frx = fixture.startWindow();

    const auto cancelText = [] {
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Cancel);
        return box.button(QMessageBox::Cancel)->text();
    };
    QCOMPARE(cancelText(), cancel);

    QString title;
    QString accept;
    QStringList filters;
    frx.setFileDialogRunner([&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        filters = dialog.nameFilters();
        auto* buttons = dialog.findChild<QDialogButtonBox*>();
        accept = buttons ? buttons->button(QDialogButtonBox::Save)->text() : QString();
        return false;
    });
    frx.MSpeichernClick();
    QCOMPARE(accept, save);
    // The window's own texts do not come from Qt: they stay as they are.
    QCOMPARE(title, QStringLiteral("Datei Speichern"));
    QCOMPARE(filters.first(), QStringLiteral("Spannungs- und RS232/485-Daten- Ausgabe (*.tvx)"));
    QCOMPARE(frx.PPage->tabText(1), QStringLiteral("   Ausgabetabelle   "));

    // The language menu item switches Qt's texts with the setting.
    frx.MspracheClick();
    QVERIFY(cancelText() != cancel);
}

}  // namespace tovrix

QTEST_MAIN(tovrix::DesktopTest)
#include "desktop_test.moc"
