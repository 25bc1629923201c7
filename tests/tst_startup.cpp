#include "consoletext.h"
#include "fakecard.h"
#include "procedures.h"
#include "recordingwindow.h"

#include <QTest>

#include <memory>

using procedures::Procedures;

class TestStartUp : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_card = std::make_unique<FakeCard>();
        m_window = std::make_unique<RecordingWindow>();
        m_console.clear();
        m_procedures = std::make_unique<Procedures>(*m_card, m_console, *m_window,
                                                    "Simulated card");
    }

    void captionShowsTheHandle_data();
    void captionShowsTheHandle();
    void handleIsKeptForEveryLaterCall();

private:
    std::unique_ptr<FakeCard> m_card;
    std::unique_ptr<RecordingWindow> m_window;
    console::FixedWidthMetrics m_metrics;
    console::OutputConsole m_console{m_metrics};
    std::unique_ptr<Procedures> m_procedures;
};

void TestStartUp::captionShowsTheHandle_data()
{
    QTest::addColumn<int>("handle");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("beeps");

    const QString title = QStringLiteral("ZK583 Testing Program  Simulated card V1.0");
    QTest::newRow("handle 420") << 420 << title + "  HANDLE=1A4H" << 0;
    QTest::newRow("handle 0 is a card") << 0 << title + "  HANDLE=0H" << 0;
    QTest::newRow("handle -2 is a card") << -2 << title + "  HANDLE=FFFFFFFEH" << 0;
    QTest::newRow("handle -1 is no card") << -1 << "Error Load ZK583" << 1;
}

void TestStartUp::captionShowsTheHandle()
{
    QFETCH(int, handle);
    QFETCH(QString, caption);
    QFETCH(int, beeps);

    m_card->handle = handle;
    m_procedures->startUp();

    QCOMPARE(m_card->calls, QStringList{"OpenDevice(0)"});
    QCOMPARE(m_window->caption, caption);
    QCOMPARE(m_window->beeps, beeps);
    // One caption, set once; the console is left alone.
    QCOMPARE(m_window->calls.filter("setCaption").size(), 1);
    QCOMPARE(m_console.runs().size(), std::size_t{0});
    QCOMPARE(m_procedures->deviceHandle(), handle);
}

void TestStartUp::handleIsKeptForEveryLaterCall()
{
    // With no card the procedures still run, passing -1 on.
    m_card->handle = -1;
    m_procedures->startUp();
    m_procedures->writeDigitalOutput();
    QCOMPARE(m_card->calls.last(), "DO(-1,21930)");
}

QTEST_APPLESS_MAIN(TestStartUp)
#include "tst_startup.moc"
