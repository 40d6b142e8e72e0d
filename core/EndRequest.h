#pragma once
// A request to end the program that comes from outside (a signal, the end of
// the desktop session) may arrive while the program waits in a modal box or a
// nested event loop, start-up included. Requesting the end leaves every running
// event loop, so the open box gives its cautious answer, and from then on no
// box waits for an answer. Whoever showed a box checks ProgramEndRequested()
// afterwards and stops where it stands instead of acting on that answer.

// Marks the program as ending and leaves the running event loops.
void RequestProgramEnd();
bool ProgramEndRequested();
