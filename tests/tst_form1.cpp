#include "cardlibrary.h"
#include "fakecard.h"
#include "form1.h"
#include "paintcheck.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include <memory>

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_card = std::make_unique<FakeCard>();
        m_form = std::make_unique<Form1>(*m_card, "Simulated card");
        m_form->load();
    }
    void cleanup()
    {
        m_form.reset();
        m_card.reset();
    }

    void controlsStandWhereTheTableSays_data();
    void controlsStandWhereTheTableSays();
    void startsWithCaptionTimerOffAndFocusOnCommand2();
    void tabOrderFollowsTheTable();
    void buttonsRunTheirProcedures_data();
    void buttonsRunTheirProcedures();
    void timerTicksRunTheAcquisition();
    void exitEndsWithoutStoppingTheScan();
    void consoleIsPaintedAndSurvivesRepaints();
    void captionsFitTheirControls();
    void consoleTextIsPaintedWhereTheModelPutsIt();
    void everyButtonWorksOnTheSimulatedCard();

private:
    QPushButton *button(const char *name) const
    {
        return qobject_cast<QPushButton *>(m_form->control(QString::fromLatin1(name)));
    }
    QString boxText(const char *name) const
    {
        return qobject_cast<QLineEdit *>(m_form->control(QString::fromLatin1(name)))->text();
    }

    std::unique_ptr<FakeCard> m_card;
    std::unique_ptr<Form1> m_form;
};

void TestForm1::controlsStandWhereTheTableSays_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");   // pixels: twips / 15

    QTest::newRow("DO") << "DO" << "QPushButton" << "DO" << QRect(344, 16, 65, 25);
    QTest::newRow("Text1") << "Text1" << "QLineEdit" << " DO输出0x55AA" << QRect(424, 16, 129, 25);
    QTest::newRow("DI") << "DI" << "QPushButton" << "DI" << QRect(344, 57, 65, 25);
    QTest::newRow("Text2") << "Text2" << "QLineEdit" << " " << QRect(424, 57, 129, 25);
    QTest::newRow("AD") << "AD" << "QPushButton" << "AD连续" << QRect(344, 99, 65, 25);
    QTest::newRow("Label2") << "Label2" << "QLabel" << "已经采集" << QRect(424, 99, 57, 25);
    QTest::newRow("StopAD") << "StopAD" << "QPushButton" << "AD查询" << QRect(344, 140, 65, 25);
    QTest::newRow("TAD_TEXT") << "TAD_TEXT" << "QLineEdit" << "Text4" << QRect(424, 140, 73, 25);
    QTest::newRow("Label1") << "Label1" << "QLabel" << "点" << QRect(520, 140, 25, 25);
    QTest::newRow("Command2") << "Command2" << "QPushButton" << "启动CNT0" << QRect(344, 181, 65, 25);
    QTest::newRow("Command8") << "Command8" << "QPushButton" << "Read CNT0" << QRect(424, 181, 65, 25);
    QTest::newRow("Command5") << "Command5" << "QPushButton" << "DA" << QRect(344, 223, 65, 25);
    QTest::newRow("Command4") << "Command4" << "QPushButton" << "EEPROM" << QRect(424, 223, 65, 25);
    QTest::newRow("Command1") << "Command1" << "QPushButton" << "脉冲输出" << QRect(344, 264, 65, 25);
    QTest::newRow("Command6") << "Command6" << "QPushButton" << "停止输出" << QRect(424, 264, 65, 25);
    QTest::newRow("Command3") << "Command3" << "QPushButton" << "退出" << QRect(392, 312, 65, 25);
}

void TestForm1::controlsStandWhereTheTableSays()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);

    QWidget *widget = m_form->control(name);
    QVERIFY(widget);
    QCOMPARE(widget->metaObject()->className(), kind);
    QCOMPARE(widget->geometry(), geometry);
    if (auto *pushButton = qobject_cast<QPushButton *>(widget))
        QCOMPARE(pushButton->text(), text);
    if (auto *box = qobject_cast<QLineEdit *>(widget)) {
        QCOMPARE(box->text(), text);
        QVERIFY(box->isReadOnly());
    }
    if (auto *label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), text);
}

void TestForm1::startsWithCaptionTimerOffAndFocusOnCommand2()
{
    QCOMPARE(m_form->windowTitle(), "ZK583 Testing Program  Simulated card V1.0  HANDLE=7H");
    QCOMPARE(m_form->size(), QSize(564, 352));
    QCOMPARE(m_form->timer1()->interval(), 50);
    QVERIFY(!m_form->timer1()->isActive());

    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QCOMPARE(QApplication::focusWidget(), m_form->control("Command2"));
}

void TestForm1::tabOrderFollowsTheTable()
{
    const QStringList order{"Command2", "StopAD", "AD", "DO", "DI", "Command3", "Command1",
                            "Command5", "Command6", "Text1", "Text2", "Command4", "Command8",
                            "TAD_TEXT"};
    QStringList seen;
    QWidget *widget = m_form->control(order.front());
    for (int i = 0; i < order.size(); ++i, widget = widget->nextInFocusChain()) {
        while (widget->focusPolicy() == Qt::NoFocus)
            widget = widget->nextInFocusChain();
        seen << widget->objectName();
    }
    QCOMPARE(seen, order);
}

void TestForm1::buttonsRunTheirProcedures_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("DO") << "DO" << QStringList{"DO(7,21930)"};
    QTest::newRow("DI") << "DI" << QStringList{"DI(7)"};
    QTest::newRow("AD") << "AD" << QStringList{"CAL(7)", "TAD(7,0,15,0,0,50)"};
    QTest::newRow("Command5") << "Command5"
                              << QStringList{"DA_INI(7)", "DA(7,0,1,4095)", "DA(7,1,2,0)"};
    QTest::newRow("Command1") << "Command1"
                              << QStringList{"PRun(7,0,0,10000,5000)", "PRun(7,1,1,20000,10)"};
    QTest::newRow("Command6") << "Command6" << QStringList{"PEnd(7,0)", "PEnd(7,1)"};
    QTest::newRow("Command2") << "Command2" << QStringList{"CNT_Run(7,0,10000)"};
    QTest::newRow("Command8") << "Command8" << QStringList{"CNT_Read(7,0,0,0)"};
    QTest::newRow("Command4") << "Command4" << QStringList{"EEPROM_Write(7)", "EEPROM_Read(7)"};
}

void TestForm1::buttonsRunTheirProcedures()
{
    QFETCH(QString, button);
    QFETCH(QStringList, calls);

    m_card->calls.clear();
    QTest::mouseClick(m_form->control(button), Qt::LeftButton);
    QCOMPARE(m_card->calls, calls);
}

void TestForm1::timerTicksRunTheAcquisition()
{
    m_card->readyCounts = {99, 160};
    QTest::mouseClick(button("AD"), Qt::LeftButton);
    QVERIFY(m_form->timer1()->isActive());
    QCOMPARE(boxText("TAD_TEXT"), "Text4");

    QTRY_COMPARE(boxText("TAD_TEXT"), "160");
    QVERIFY(m_card->calls.contains("TAD_Read(7,160)"));

    // StopAD runs the single-shot scan; it stops nothing.
    QTest::mouseClick(button("StopAD"), Qt::LeftButton);
    QVERIFY(m_form->timer1()->isActive());
}

void TestForm1::exitEndsWithoutStoppingTheScan()
{
    QSignalSpy exitRequested(m_form.get(), &Form1::exitRequested);
    QTest::mouseClick(button("AD"), Qt::LeftButton);
    QTest::mouseClick(button("Command3"), Qt::LeftButton);
    QCOMPARE(exitRequested.count(), 1);
    QVERIFY(!m_card->calls.contains("TAD_Stop(7)"));
}

void TestForm1::consoleIsPaintedAndSurvivesRepaints()
{
    m_form->show();
    const QImage blank = m_form->grab().toImage();
    QTest::mouseClick(button("StopAD"), Qt::LeftButton);
    const QImage listed = m_form->grab().toImage();
    QVERIFY(listed != blank);
    QCOMPARE(m_form->outputConsole().line(), 16);

    // Covered, resized and shown again: the same page is drawn.
    m_form->hide();
    m_form->resize(700, 400);
    m_form->resize(Form1::clientSize);
    m_form->show();
    QCOMPARE(m_form->grab().toImage(), listed);
}

void TestForm1::captionsFitTheirControls()
{
    // Measured on the real controls, in the font the window gives them; the
    // suite runs once at scale 1 and once at scale 2 (QT_SCALE_FACTOR).
    for (QWidget *widget : m_form->findChildren<QWidget *>()) {
        QString caption;
        QRect room;
        if (auto *pushButton = qobject_cast<QPushButton *>(widget)) {
            QStyleOptionButton option;
            option.initFrom(pushButton);
            option.rect = pushButton->rect();
            room = pushButton->style()->subElementRect(QStyle::SE_PushButtonContents, &option,
                                                       pushButton);
            room.setWidth(room.width()
                          - pushButton->style()->pixelMetric(QStyle::PM_ButtonMargin, &option,
                                                             pushButton));
            caption = pushButton->text();
        } else if (auto *label = qobject_cast<QLabel *>(widget)) {
            room = label->contentsRect();
            caption = label->text();
        } else {
            continue;
        }
        const QFontMetrics metrics(widget->font());
        QVERIFY2(metrics.horizontalAdvance(caption) <= room.width(),
                 qPrintable(QStringLiteral("%1: \"%2\" is %3 wide, room %4 (font %5)")
                                .arg(widget->objectName(), caption)
                                .arg(metrics.horizontalAdvance(caption))
                                .arg(room.width())
                                .arg(widget->font().toString())));
        QVERIFY2(metrics.height() <= room.height(), qPrintable(widget->objectName()));
    }
    // The largest size that fits: half a point more and some caption would not.
    QFont larger = m_form->font();
    if (larger.pointSizeF() < QApplication::font().pointSizeF()) {
        larger.setPointSizeF(larger.pointSizeF() + 0.5);
        QVERIFY(captionFittingFont(larger, m_form->style()) != larger);
    }
}

void TestForm1::consoleTextIsPaintedWhereTheModelPutsIt()
{
    // A full page: the 16 channel lines and the limit line of one batch.
    m_card->readyCounts = {3200};
    m_card->nextSample = -40000;
    QTest::mouseClick(button("AD"), Qt::LeftButton);
    m_form->timer1Tick();
    QCOMPARE(m_form->outputConsole().line(), 17);

    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    const QImage grabbed = m_form->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
    const double scale = grabbed.devicePixelRatio();
    paintcheck::GrayImage image{grabbed.width(), grabbed.height(), {}};
    for (int y = 0; y < grabbed.height(); ++y) {
        const uchar *row = grabbed.constScanLine(y);
        image.pixels.insert(image.pixels.end(), row, row + grabbed.width());
    }

    const FontTextMetrics &metrics = m_form->textMetrics();
    auto px = [scale](int logical) { return int(std::lround(logical * scale)); };
    std::vector<paintcheck::PlacedRun> runs;
    for (const console::Run &run : m_form->outputConsole().runs()) {
        const std::size_t visible = run.text.find_first_not_of(' ');
        const int leading = metrics.textWidth(std::string_view(run.text).substr(0, visible));
        runs.push_back({run.line, px(run.x), px(run.x + leading), px(run.x + run.width)});
    }
    const paintcheck::Layout layout{px(metrics.lineHeight()), px(metrics.columnWidth()),
                                    console::OutputConsole::zoneColumns,
                                    px(form1::pixels(form1::controls.front().left)),
                                    px(2)};
    QCOMPARE(int(runs.size()), 33);   // "CH n " and "Data v " on each channel line, and the limit
    const std::vector<std::string> faults = paintcheck::check(image, runs, layout);
    QStringList faultTexts;
    for (const std::string &fault : faults)
        faultTexts << QString::fromStdString(fault);
    QVERIFY2(faults.empty(), qPrintable(faultTexts.join(QLatin1Char('\n'))));
    // A page drawn one line height lower is caught.
    for (paintcheck::PlacedRun &run : runs)
        run.line += 1;
    QVERIFY(!paintcheck::check(image, runs, layout).empty());
}

void TestForm1::everyButtonWorksOnTheSimulatedCard()
{
    device::CardLibrary library({{SIMULATED_CARD, true}});
    device::LibraryCard card(library);
    Form1 form(card, "Simulated card, no hardware");
    form.load();
    QVERIFY(form.windowTitle().endsWith("V1.0  HANDLE=583H"));

    // The window lays text out in its font, so each line is given as its
    // items' texts joined, without the spaces of the print zones.
    auto click = [&](const char *name) {
        QTest::mouseClick(form.control(QString::fromLatin1(name)), Qt::LeftButton);
        QStringList lines;
        for (const console::Run &run : form.outputConsole().runs()) {
            while (lines.size() <= run.line)
                lines << QString();
            lines[run.line] += QString::fromStdString(run.text);
        }
        return lines;
    };
    auto box = [&](const char *name) {
        return qobject_cast<QLineEdit *>(form.control(QString::fromLatin1(name)))->text();
    };

    // The digital output word reads back on the digital input.
    QCOMPARE(click("DO"), QStringList());
    click("DI");
    QCOMPARE(box("Text2"), "55AA");

    const QStringList scan = click("StopAD");
    QCOMPARE(scan.size(), 16);
    QVERIFY(scan.at(15).startsWith("CH 15 "));
    QVERIFY(scan.at(15).endsWith("mV"));

    QCOMPARE(click("Command5").mid(1), QStringList{"DA0输出10V, DA1输出-5V"});
    QCOMPARE(click("Command1").size(), 4);
    QCOMPARE(click("Command6").mid(4), QStringList({" ", "停止脉冲输出"}));
    QCOMPARE(click("Command2"), QStringList{"CNT0 run, initial data 10000 "});
    QVERIFY(click("Command8").at(2).startsWith("CNT0 cnt data 10000 tdata"));

    const QStringList eeprom = click("Command4");
    QCOMPARE(eeprom.at(2), " 0  1  2  3  4  5  6  7  8  9 ");
    QCOMPARE(eeprom.at(3), "Read   EEPROM data");
    QCOMPARE(eeprom.at(4), eeprom.at(2));

    click("AD");
    QVERIFY(form.timer1()->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(box("TAD_TEXT").toInt() >= 5000, 2000);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
