// The printer of the whole run, and the prints that start from it.
#include "platform/print/program_printer.h"

#include <QCoreApplication>
#include <QPrinter>

namespace {
QPrinter *g_printer = nullptr;

// The printer goes with the application object: its print engine needs the platform, which is
// gone by the time static objects are destroyed.
void releasePrinter()
{
    delete g_printer;
    g_printer = nullptr;
}
} // namespace

QPrinter &ProgramPrinter()
{
    if (!g_printer) {
        g_printer = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(releasePrinter);
    }
    return *g_printer;
}

void StartFromProgramPrinter(QPrinter &printer)
{
    const QPrinter &chosen = ProgramPrinter();
    printer.setOutputFormat(chosen.outputFormat());
    if (chosen.outputFormat() == QPrinter::NativeFormat)
        printer.setPrinterName(chosen.printerName());
    printer.setOutputFileName(chosen.outputFileName());
    printer.setCopyCount(chosen.copyCount());
    printer.setCollateCopies(chosen.collateCopies());
    printer.setDuplex(chosen.duplex());
    printer.setColorMode(chosen.colorMode());
    printer.setPageOrder(chosen.pageOrder());
    printer.setPaperSource(chosen.paperSource());
}
