// The floor the console's own costs are measured against: the same window,
// controls, captions and font, with a few console lines painted, but no card
// library, procedures or sample buffer.
#include "controls.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

namespace {

class FloorWindow : public QWidget
{
public:
    FloorWindow()
    {
        resize(8460 / 15, 5280 / 15);
        setWindowTitle(QStringLiteral("ZK583 floor"));
        makeControls(this);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int zone = 14 * metrics.averageCharWidth();
        for (int line = 0; line < 17; ++line) {
            const int y = line * metrics.lineSpacing() + metrics.ascent();
            painter.drawText(0, y, QStringLiteral("CH %1 ").arg(line));
            painter.drawText(zone, y, QStringLiteral("Data 2048 "));
        }
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    FloorWindow window;
    window.show();
    return app.exec();
}
