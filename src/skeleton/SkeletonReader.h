#pragma once

#include "skeleton/Skeleton.h"

#include <memory>
#include <string>

class TokenReader;

// The player's body, read from the game's working directory.
inline constexpr const char* skeletonFilePath = "test.skl";
inline constexpr const char* skeletonErrorMessage = "Unable to open skeleton file";

// Limits that no body needs and that keep a hostile file small in memory:
// a chain from the root at most this many bones long, and at most this many
// bones in all.
inline constexpr int maximumBoneDepth = 256;
inline constexpr int maximumBoneCount = 4096;

// Reads a skeleton: the root bone record with its children depth first,
// then the channels. A malformed file gives none, with the reader's failure
// saying where: missing or non-numeric tokens, a child count below zero or
// beyond what the rest of the file could hold, bones nested or counted past
// the limits above, more channels than bones, a channel with no keys, keys
// out of time order, or a last key at time 0 or before. Whatever follows
// the last channel is not read.
std::unique_ptr<Skeleton> readSkeleton(TokenReader& in);

// Reads the skeleton file. When it cannot be opened or is refused, one
// "Error" box says "Unable to open skeleton file" and the result is none:
// the game goes on without a body.
std::unique_ptr<Skeleton> loadSkeleton(const std::string& path = skeletonFilePath);
