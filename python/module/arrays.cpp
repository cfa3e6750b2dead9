#include "arrays.h"

#include <cmath>
#include <string>

namespace tessival_python {

namespace {

[[noreturn]] void Refuse(const std::string &message)
{
    throw py::value_error(message);
}

std::string ShapeText(const py::array &array)
{
    std::string text = "(";
    for (py::ssize_t axis = 0; axis < array.ndim(); ++axis)
        text += (axis > 0 ? ", " : "") + std::to_string(array.shape(axis));
    return text + (array.ndim() == 1 ? ",)" : ")");
}

}  // namespace

void ReadStones(const py::handle &value, float (*stones)[2], const char *name)
{
    const auto array = FloatArray::ensure(value);
    if (!array)
        throw py::type_error(std::string(name) + " must be an array of numbers of shape (16, 2)");
    if (array.ndim() != 2 || array.shape(0) != TESSIVAL_STONE_COUNT || array.shape(1) != 2)
        Refuse(std::string(name) + " must have shape (16, 2), not " + ShapeText(array));
    const auto view = array.unchecked<2>();
    for (int stone = 0; stone < TESSIVAL_STONE_COUNT; ++stone) {
        for (int axis = 0; axis < 2; ++axis) {
            const float coordinate = view(stone, axis);
            if (!std::isfinite(coordinate))
                Refuse(std::string(name) + "[" + std::to_string(stone) + ", " + std::to_string(axis) +
                       "] is " + std::to_string(coordinate) + ": every coordinate must be finite");
            stones[stone][axis] = coordinate;
        }
    }
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
    shot.vx = CheckFinite((prefix + " vx").c_str(), py::cast<double>(items[py::int_(0)]));
    shot.vy = CheckFinite((prefix + " vy").c_str(), py::cast<double>(items[py::int_(1)]));
    const double spin = py::cast<double>(items[py::int_(2)]);
    if (spin != 0.0 && spin != 1.0)
        Refuse(prefix + " spin must be 0 or 1, not " + py::str(items[py::int_(2)]).cast<std::string>());
    shot.spin = static_cast<uint8_t>(spin);
    return shot;
}

py::tuple ShotTuple(const ShotVector &shot)
{
    return py::make_tuple(static_cast<double>(shot.vx), static_cast<double>(shot.vy), static_cast<int>(shot.spin));
}

int CheckRange(const char *name, long long value, int first, int last)
{
    if (value < first || value > last)
        Refuse(std::string(name) + " must be from " + std::to_string(first) + " to " + std::to_string(last) +
               ", not " + std::to_string(value));
    return static_cast<int>(value);
}

float CheckFinite(const char *name, double value)
{
    const auto single = static_cast<float>(value);
    if (!std::isfinite(single))
        Refuse(std::string(name) + " must be a finite number, not " + std::to_string(value));
    return single;
}

}  // namespace tessival_python
