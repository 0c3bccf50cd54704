// rsgz: the personnel-and-payroll program of 禾沐馆务.
#include "program/program.h"

int main(int argc, char *argv[]) { return RunProgram(argc, argv); }
