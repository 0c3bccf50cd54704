// The printer of the whole run: the printer dialog of "打印设置" edits it, and every print starts
// from it.
#pragma once

class QPrinter;

// The one printer of the run (high resolution), made on first use.
QPrinter &ProgramPrinter();

// Gives printer what was chosen for the program's printer: which printer (or file) it prints to,
// copies and their collation, duplex, colour, page order and paper source. The page layout stays
// the caller's: every report brings its own.
void StartFromProgramPrinter(QPrinter &printer);
