#pragma once

// Opens the "game engine" window, initialises the engine, loads the default
// world and runs the GLUT main loop until the game is left; then shuts down.
// The command line goes to GLUT unchanged. Returns the exit status.
int runGame(int argc, char** argv);
