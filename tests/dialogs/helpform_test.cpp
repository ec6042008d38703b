#include "dialogs/helpform.h"

#include "common/beep_counter.h"
#include "config/maker.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using tovrix::Thelpform;
using tovrix::test::BeepCounter;

class HelpformTest : public QObject {
    Q_OBJECT

  private slots:
    void windowMatchesLayout();
    void controlsCarryTheirNames();
    void contactBlockShowsTheMaker();
    void doubleClickOpensHomepage_data();
    void doubleClickOpensHomepage();
    void singleClickDoesNothing();
    void failedOpenIsSilent();
    void closeButtonClosesWindow();
};

void HelpformTest::windowMatchesLayout() {
    Thelpform form;
    QCOMPARE(form.objectName(), QStringLiteral("helpform"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Hilfe zu Funksystem-Konfiguration"));
    QCOMPARE(form.size(), QSize(721, 534));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::white));

    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY((form.geometry().center() - centre).manhattanLength() <= 2);

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(form.MemoD->isVisible());
    QVERIFY(!form.MemoE->isVisible());
    QCOMPARE(form.MemoD->size(), QSize(689, 361));
    QCOMPARE(form.MemoE->size(), QSize(689, 361));
    QCOMPARE(form.MemoE->y(), form.MemoD->y() + 8);
    QVERIFY(form.MemoD->isReadOnly());
    QCOMPARE(form.MemoD->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    QCOMPARE(form.homepage->size(), QSize(177, 57));
    QCOMPARE(form.homepage->toolTip(), QStringLiteral("ein Doppelklick öffnet die Homepage"));
    QCOMPARE(form.closebutton->text(), QStringLiteral("o.k."));
    QCOMPARE(form.closebutton->width(), 721);
    QCOMPARE(form.closebutton->geometry().bottom(), 533);
}

void HelpformTest::controlsCarryTheirNames() {
    Thelpform form;
    const QList<QPair<QString, QWidget*>> controls{
        {"MemoD", form.MemoD},       {"MemoE", form.MemoE},
        {"Lkontakt", form.Lkontakt}, {"Firma", form.Firma},
        {"strasse", form.strasse},   {"ort", form.ort},
        {"tel", form.tel},           {"fax", form.fax},
        {"email", form.email},       {"Label9", form.Label9},
        {"homepage", form.homepage}, {"Label6", form.Label6},
        {"url", form.url},           {"closebutton", form.closebutton},
    };
    for (const auto& [name, widget] : controls) {
        QVERIFY2(widget != nullptr, qPrintable(name));
        QCOMPARE(form.findChild<QWidget*>(name), widget);
    }
    // The two captions inside the panel belong to it.
    QCOMPARE(form.Label6->parentWidget(), form.homepage);
    QCOMPARE(form.url->parentWidget(), form.homepage);
}

void HelpformTest::contactBlockShowsTheMaker() {
    Thelpform form;
    form.url->clear();
    form.Firma->clear();
    form.fillContactBlock();

    QCOMPARE(form.Lkontakt->text(), QStringLiteral("HerstellerKontakt / SoftwareUpdates:"));
    QCOMPARE(form.Label9->text(), QStringLiteral("v1.05 - 11/2007"));
    QCOMPARE(form.Label6->text(), QStringLiteral("homepage:"));
    QCOMPARE(form.Firma->text(), QString::fromUtf8(tovrix::maker::kCompany));
    QCOMPARE(form.strasse->text(), QString::fromUtf8(tovrix::maker::kStreet));
    QCOMPARE(form.ort->text(), QString::fromUtf8(tovrix::maker::kTown));
    QCOMPARE(form.tel->text(), QString::fromUtf8(tovrix::maker::kTelephone));
    QCOMPARE(form.fax->text(), QString::fromUtf8(tovrix::maker::kFax));
    QCOMPARE(form.email->text(), QString::fromUtf8(tovrix::maker::kEmail));
    QCOMPARE(form.url->text(), QString::fromUtf8(tovrix::maker::kHomePage));
    QVERIFY(!form.url->text().contains(QStringLiteral("://")));

    const QColor green(0, 128, 0);
    for (QLabel* label : {form.Firma, form.strasse, form.ort, form.tel, form.fax, form.email,
                          form.Label6, form.url}) {
        QCOMPARE(label->palette().color(QPalette::WindowText), green);
    }
    QCOMPARE(form.Lkontakt->palette().color(QPalette::WindowText), QColor(Qt::black));
    QVERIFY(form.Label6->font().bold());
    QVERIFY(form.url->font().bold());
}

void HelpformTest::doubleClickOpensHomepage_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("panel") << QStringLiteral("homepage");
    QTest::newRow("caption homepage:") << QStringLiteral("Label6");
    QTest::newRow("address") << QStringLiteral("url");
}

void HelpformTest::doubleClickOpensHomepage() {
    QFETCH(QString, target);
    Thelpform form;
    QList<QUrl> requested;
    form.setUrlOpener([&](const QUrl& address) {
        requested << address;
        return true;
    });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    QWidget* widget = form.findChild<QWidget*>(target);
    QVERIFY(widget != nullptr);
    BeepCounter beeps;
    // The panel's edge, clear of the two labels, stands for the panel itself.
    const QPoint where = widget == form.homepage ? QPoint(4, 50) : widget->rect().center();
    const QPoint inPanel = widget == form.homepage ? where : widget->mapTo(form.homepage, where);
    QCOMPARE(form.homepage->childAt(inPanel), widget == form.homepage ? nullptr : widget);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, where);

    QCOMPARE(beeps.count(), 1);
    QCOMPARE(requested.size(), 1);
    QCOMPARE(requested.front(),
             QUrl(QStringLiteral("http://") + QString::fromUtf8(tovrix::maker::kHomePage)));
}

void HelpformTest::singleClickDoesNothing() {
    Thelpform form;
    int opened = 0;
    form.setUrlOpener([&](const QUrl&) {
        ++opened;
        return true;
    });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    BeepCounter beeps;
    for (QWidget* widget :
         {static_cast<QWidget*>(form.homepage), static_cast<QWidget*>(form.url)}) {
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    QCOMPARE(beeps.count(), 0);
    QCOMPARE(opened, 0);
}

void HelpformTest::failedOpenIsSilent() {
    Thelpform form;
    form.setUrlOpener([](const QUrl&) { return false; });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const int windowsBefore = QApplication::topLevelWidgets().size();
    BeepCounter beeps;
    form.homepageDblClick();
    QCOMPARE(beeps.count(), 1);
    QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(form.isVisible());
}

void HelpformTest::closeButtonClosesWindow() {
    Thelpform form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.closebutton, Qt::LeftButton);
    QVERIFY(!form.isVisible());
}

QTEST_MAIN(HelpformTest)
#include "helpform_test.moc"
