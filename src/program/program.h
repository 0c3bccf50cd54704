// RunProgram: the whole run of rsgz, from the application object to the end of the program.
#pragma once

#include <cstdio>
#include <functional>

class QApplication;
class form_main;

// The command line's own requests, answered before anything else: "--version" and "--help" print
// to out and give 0, without an application object or a display (they work over ssh). -1 when the
// program is to run; every other argument is left to Qt.
int AnswerCommandLine(int argc, char *argv[], std::FILE *out);

// What every run of the program sets on its application object: the settings name, the icon, the
// Chinese standard buttons and the Chinese font (the screenshot driver takes the same).
void SetUpApplication(QApplication &app);

// Answers the command line, sets the process up (Chinese standard buttons, the Chinese font, files readable by their owner
// only), builds the main window with every subsystem's commands, runs the start-up sequence and
// then the event loop until the program ends. `started`, when given, runs once the main window
// exists and before the start-up sequence (a driver that acts as a person uses it). Returns the
// program's exit code; the database is closed before the windows are destroyed.
int RunProgram(int argc, char *argv[], const std::function<void(form_main &)> &started = {});
