#include "arrays.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tessival_python {

namespace {

[[noreturn]] void Refuse(const std::string &message)
{
    throw py::value_error(message);
}

std::string ShapeText(const std::vector<py::ssize_t> &shape)
{
    std::string text = "(";
    for (std::size_t axis = 0; axis < shape.size(); ++axis)
        text += (axis > 0 ? ", " : "") + std::to_string(shape[axis]);
    return text + (shape.size() == 1 ? ",)" : ")");
}

}  // namespace

std::string Text(const py::handle &value)
{
    return py::str(value).cast<std::string>();
}

std::string ShapeText(const py::array &array)
{
    return ShapeText(std::vector<py::ssize_t>(array.shape(), array.shape() + array.ndim()));
}

FloatArray FloatsOf(const py::handle &value, const char *name, const char *shape)
{
    const auto array = FloatArray::ensure(value);
    if (!array)
        throw py::type_error(std::string(name) + " must be an array of numbers of shape " + shape);
    return array;
}

void CheckAllFinite(const FloatArray &array, const char *name)
{
    const float *numbers = array.data();
    const float *found = std::find_if(numbers, numbers + array.size(), [](float x) { return !std::isfinite(x); });
    if (found == numbers + array.size())
        return;
    // The flat offset as one index per axis, last axis fastest.
    std::string where;
    py::ssize_t offset = found - numbers;
    for (py::ssize_t axis = array.ndim() - 1; axis >= 0; --axis) {
        where = std::to_string(offset % array.shape(axis)) + (where.empty() ? "" : ", ") + where;
        offset /= array.shape(axis);
    }
    Refuse(std::string(name) + "[" + where + "] is " + std::to_string(*found) + ": every coordinate must be finite");
}

void ReadStones(const py::handle &value, float (*stones)[2], const char *name)
{
    const FloatArray array = FloatsOf(value, name, "(16, 2)");
    if (array.ndim() != 2 || array.shape(0) != TESSIVAL_STONE_COUNT || array.shape(1) != 2)
        Refuse(std::string(name) + " must have shape (16, 2), not " + ShapeText(array));
    CheckAllFinite(array, name);
    std::copy(array.data(), array.data() + 2 * TESSIVAL_STONE_COUNT, &stones[0][0]);
}

FloatArray StonesArray(const float (*stones)[2])
{
    FloatArray array({TESSIVAL_STONE_COUNT, 2});
    auto view = array.mutable_unchecked<2>();
    for (int stone = 0; stone < TESSIVAL_STONE_COUNT; ++stone) {
        view(stone, 0) = stones[stone][0];
        view(stone, 1) = stones[stone][1];
    }
    return array;
}

ShotVector ReadShot(const py::handle &value, const char *name)
{
    const std::string prefix(name);
    if (!py::isinstance<py::sequence>(value) && !py::isinstance<py::array>(value))
        throw py::type_error(prefix + " must be a sequence (vx, vy, spin)");
    const auto items = py::reinterpret_borrow<py::object>(value);
    if (py::len(items) != 3)
        Refuse(prefix + " must be (vx, vy, spin): 3 items, not " + std::to_string(py::len(items)));
    ShotVector shot{};
    shot.vx = CheckFinite((prefix + " vx").c_str(), NumberOf(items[py::int_(0)], (prefix + " vx").c_str()));
    shot.vy = CheckFinite((prefix + " vy").c_str(), NumberOf(items[py::int_(1)], (prefix + " vy").c_str()));
    shot.spin = ReadSpin(items[py::int_(2)], (prefix + " spin").c_str());
    return shot;
}

double NumberOf(const py::handle &value, const char *name)
{
    try {
        return py::cast<double>(value);
    } catch (const py::cast_error &) {
        throw py::type_error(std::string(name) + " must be a number, not " + py::repr(value).cast<std::string>());
    }
}

uint8_t ReadSpin(const py::handle &value, const char *name)
{
    const double spin = NumberOf(value, name);
    if (spin != 0.0 && spin != 1.0)
        Refuse(std::string(name) + " must be 0 or 1, not " + Text(value));
    return static_cast<uint8_t>(spin);
}

py::tuple ShotTuple(const ShotVector &shot)
{
    return py::make_tuple(static_cast<double>(shot.vx), static_cast<double>(shot.vy), static_cast<int>(shot.spin));
}

int CheckRange(const char *name, long long value, int first, int last)
{
    if (value < first || value > last)
        Refuse(std::string(name) + " must be from " + std::to_string(first) + " to " + std::to_string(last) + ", not " +
               std::to_string(value));
    return static_cast<int>(value);
}

float CheckFinite(const char *name, double value)
{
    const auto single = static_cast<float>(value);
    if (!std::isfinite(single))
        Refuse(std::string(name) + " must be a finite number, not " + std::to_string(value));
    return single;
}

uint32_t CheckSeed(const char *name, long long value)
{
    if (value < 0 || value > static_cast<long long>(UINT32_MAX))
        Refuse(std::string(name) + " must be from 0 to " + std::to_string(UINT32_MAX) + ", not " +
               std::to_string(value));
    return static_cast<uint32_t>(value);
}

py::array WritableArray(const py::handle &value, const char *name, const py::dtype &dtype,
                        const std::vector<py::ssize_t> &shape)
{
    if (!py::isinstance<py::array>(value))
        throw py::type_error(std::string(name) + " must be a numpy array");
    const auto array = py::reinterpret_borrow<py::array>(value);
    if (!array.dtype().equal(dtype))
        Refuse(std::string(name) + " must have dtype " + Text(dtype) + ", not " + Text(array.dtype()));
    const std::vector<py::ssize_t> given(array.shape(), array.shape() + array.ndim());
    if (given != shape)
        Refuse(std::string(name) + " must have shape " + ShapeText(shape) + ", not " + ShapeText(given));
    if (!(array.flags() & py::array::c_style))
        Refuse(std::string(name) + " must be C-contiguous");
    if (!array.writeable())
        Refuse(std::string(name) + " must be writable");
    return array;
}

}  // namespace tessival_python
