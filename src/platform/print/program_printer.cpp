// The printer of the whole run, and the prints that start from it.
#include "platform/print/program_printer.h"

#include <QPrinter>

QPrinter &ProgramPrinter()
{
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
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
