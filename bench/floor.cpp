// The floor the console's own costs are measured against: the same window,
// controls, captions and font, with a page of console lines painted, but no
// card library, procedures or sample buffer.
//
//   zk583-floor                 the idle window
//   zk583-floor --acquisition   a click on AD runs the 50 ms timer for as many
//                               ticks as an acquisition takes; each tick draws
//                               the same 17 lines and sets the count box
#include "controls.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <cstring>

namespace {

/// Ticks of an acquisition: 200,000 samples in batches of 5,000.
constexpr int acquisitionTicks = 41;

class FloorWindow : public QWidget
{
public:
    explicit FloorWindow(bool acquisition)
    {
        resize(form1::pixels(form1::clientWidthTwips), form1::pixels(form1::clientHeightTwips));
        setWindowTitle(QStringLiteral("ZK583 floor"));
        applyCaptionFittingFont(this);
        const QHash<QString, QWidget *> controls = makeControls(this);
        if (!acquisition)
            return;
        m_countBox = static_cast<QLineEdit *>(controls.value(QStringLiteral("TAD_TEXT")));
        m_timer.setInterval(form1::timer1IntervalMs);
        connect(&m_timer, &QTimer::timeout, this, &FloorWindow::tick);
        connect(static_cast<QPushButton *>(controls.value(QStringLiteral("AD"))),
                &QPushButton::clicked, this, [this] {
                    m_ticks = 0;
                    m_timer.start();
                });
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int zone = 14 * metrics.averageCharWidth();
        for (int line = 0; line < 16; ++line) {
            const int y = line * metrics.lineSpacing() + metrics.ascent();
            painter.drawText(0, y, QStringLiteral("CH %1 ").arg(line));
            painter.drawText(zone, y, QStringLiteral("Data %1 ").arg(2048 + m_ticks + line));
        }
        painter.drawText(0, 16 * metrics.lineSpacing() + metrics.ascent(),
                         QStringLiteral("max l= 200000 "));
    }

private:
    void tick()
    {
        ++m_ticks;
        m_countBox->setText(QString::number(5000 * m_ticks));
        const QFontMetrics metrics(font());
        update(0, 0, 30 * metrics.averageCharWidth(), 17 * metrics.lineSpacing());
        if (m_ticks >= acquisitionTicks)
            m_timer.stop();
    }

    QLineEdit *m_countBox = nullptr;
    QTimer m_timer;
    int m_ticks = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const bool acquisition = argc > 1 && std::strcmp(argv[1], "--acquisition") == 0;
    FloorWindow window(acquisition);
    window.show();
    return app.exec();
}
