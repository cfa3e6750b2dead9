// Positions and shots between numpy and the library's records. Every reader
// checks what it is given and raises ValueError (TypeError for what is not a
// number at all) with the argument's name and the fault, so that bad input
// never reaches the library.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tessival.h"

namespace tessival_python {

namespace py = pybind11;

// float32, C order: the layout of GameState.stones.
using FloatArray = py::array_t<float, py::array::c_style | py::array::forcecast>;

// value as float32 in C order, converted when it is not; else TypeError naming
// name and the shape wanted.
FloatArray FloatsOf(const py::handle &value, const char *name, const char *shape);

// ValueError naming name and the index of array's first non-finite value.
void CheckAllFinite(const FloatArray &array, const char *name);

// Reads a (16, 2) array of finite coordinates (out of play at (0, 0)) into stones.
void ReadStones(const py::handle &value, float (*stones)[2], const char *name = "stones");

// str(value), as messages quote what they were given.
std::string Text(const py::handle &value);

// "(B, 16, 2)" for an array of that shape, as messages name shapes.
std::string ShapeText(const py::array &array);

// A new (16, 2) float32 array holding stones.
FloatArray StonesArray(const float (*stones)[2]);

// A shot (vx, vy, spin): two finite numbers and a spin of 0 or 1.
ShotVector ReadShot(const py::handle &value, const char *name = "shot");

// A spin: 0 or 1 (as any number equal to it), else ValueError naming name.
uint8_t ReadSpin(const py::handle &value, const char *name = "spin");

// value as a number; TypeError naming name when it is none (a string, None, ...).
double NumberOf(const py::handle &value, const char *name);

// (vx, vy, spin) as Python numbers; vx and vy are exactly the float32 values.
py::tuple ShotTuple(const ShotVector &shot);

// value when first <= value <= last, else ValueError naming name and the range.
int CheckRange(const char *name, long long value, int first, int last);

// A finite float32, else ValueError naming name.
float CheckFinite(const char *name, double value);

// A seed of the library's calls: 0 (continue the generator) to 2^32 - 1.
uint32_t CheckSeed(const char *name, long long value);

// The caller's array of exactly dtype and shape, C-contiguous and writable, so
// that results written into its buffer reach the caller; else ValueError
// (TypeError for what is not a numpy array) naming name.
py::array WritableArray(const py::handle &value, const char *name, const py::dtype &dtype,
                        const std::vector<py::ssize_t> &shape);

}  // namespace tessival_python
