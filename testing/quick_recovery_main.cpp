// The program as it is, but for its recovery copies, which are brought up to date every 100 ms
// instead of every 15 s: the crash recovery test kills it soon after typing.
#include "app/startup.h"

int main(int argc, char** argv) { return RunProgram(argc, argv, 100); }
