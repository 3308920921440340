// One whole run of the program, from the argument vector to the exit status.
#pragma once

// Reads the three inputs, runs the requested model passes in their fixed
// order and prints a report after each; returns the exit status.
int kestrin_main(int argc, char **argv);
