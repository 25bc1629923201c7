#include "cardlibrary.h"
#include "cardlocator.h"
#include "fatalerror.h"
#include "form1.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace {

/// Reports a fatal failure in a message box, then ends the program.
void showFatalErrorAndExit(const std::string &message)
{
    // A timer tick may fail again while the box is open; the first report
    // is the one that counts.
    static bool reporting = false;
    if (reporting)
        return;
    reporting = true;
    std::fprintf(stderr, "zk583-console: %s\n", message.c_str());
    QMessageBox::critical(nullptr, QStringLiteral("ZK583 Testing Program"),
                          QString::fromStdString(message));
    std::_Exit(EXIT_FAILURE);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    device::setFatalErrorHandler(showFatalErrorAndExit);

    device::CardLibrary library(
        device::cardLibraryCandidates(QCoreApplication::applicationDirPath().toStdString()));
    if (!library.load())
        return EXIT_FAILURE;
    device::LibraryCard card(library);

    Form1 form(card, device::describeCardLibrary(library));
    QObject::connect(&form, &Form1::exitRequested, &app, &QCoreApplication::quit);
    form.load();
    form.show();
    return app.exec();
}
