// tavo gs1: the GS1 helpers of the library from a shell: the human-readable
// text of element strings, the check digit of a key, and GS1 Digital Link
// URIs made from element strings and read back.
#pragma once

namespace tavo::gs1cmd {

// Runs `tavo gs1 ...` (argv[1] is "gs1").  Prints the answer on stdout and
// faults on stderr; returns the exit status: 0 done, 1 the library refused
// the input (its code and message, naming the input), 2 a usage fault.
int RunGs1Command(int argc, char** argv);

// The one usage line of each gs1 subcommand, for the tool's help.
extern const char kGs1Usage[];

}  // namespace tavo::gs1cmd
