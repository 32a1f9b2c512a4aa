#pragma once

// Reads the command line (`game [WORLD]`, `--help`, `--version`; GLUT's own
// options are passed on to glutInit), opens the "game engine" window,
// initialises the engine, loads the world named or the default one (from the
// share folder when the game is installed) and runs the GLUT main loop until
// the game is left; then shuts down. Returns the exit status:
// 0, or 2 for a wrong command line.
int runGame(int argc, char** argv);
