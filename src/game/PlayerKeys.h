#pragma once

// The keys the player update polls. Special keys carry GLUT's codes so game
// logic needs no GL header; character keys are the lower-case codes only.
namespace playerKeys {

constexpr int left = 100;   // GLUT_KEY_LEFT
constexpr int up = 101;     // GLUT_KEY_UP
constexpr int right = 102;  // GLUT_KEY_RIGHT
constexpr int down = 103;   // GLUT_KEY_DOWN

constexpr int forward = 'w';
constexpr int backward = 's';
constexpr int strafeLeft = 'a';
constexpr int strafeRight = 'd';
constexpr int jump = ' ';

}  // namespace playerKeys
