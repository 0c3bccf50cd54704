// RunProgram: the whole run of rsgz, from the application object to the end of the program.
#pragma once

#include <functional>

class form_main;

// Sets the process up (Chinese standard buttons, the Chinese font, files readable by their owner
// only), builds the main window with every subsystem's commands, runs the start-up sequence and
// then the event loop until the program ends. `started`, when given, runs once the main window
// exists and before the start-up sequence (a driver that acts as a person uses it). Returns the
// program's exit code; the database is closed before the windows are destroyed.
int RunProgram(int argc, char *argv[], const std::function<void(form_main &)> &started = {});
