// Mekalon: a Thai text editor with translation help.
#include "app/recovery.h"
#include "app/startup.h"

int main(int argc, char** argv) { return RunProgram(argc, argv, recovery::kIntervalMs); }
