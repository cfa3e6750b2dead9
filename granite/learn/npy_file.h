#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace granite::learn {

// The header of a numpy .npy file of version 1.0 holding a rows x columns
// matrix of little-endian float32 in C order: magic, version, length, then the
// dict padded with spaces to end in '\n' at a multiple of 64 bytes.
std::string NpyHeader(std::size_t rows, std::size_t columns);

// Writes values, rows of columns each, as such a file; false when it cannot be written.
bool WriteNpy(const std::string &path, std::span<const float> values, std::size_t columns);

}  // namespace granite::learn
