#include "learn/npy_file.h"

#include <bit>
#include <fstream>

namespace granite::learn {

namespace {

// The data are written as the machine holds them.
static_assert(std::endian::native == std::endian::little, "the .npy files hold little-endian float32");

constexpr std::string_view MAGIC{"\x93NUMPY\x01\x00", 8};  // magic, then version 1.0
constexpr std::size_t LENGTH_BYTES = 2;
constexpr std::size_t ALIGNMENT = 64;

}  // namespace

std::string NpyHeader(std::size_t rows, std::size_t columns)
{
    std::string dict = "{'descr': '<f4', 'fortran_order': False, 'shape': (" + std::to_string(rows) + ", " +
                       std::to_string(columns) + "), }";
    const std::size_t unpadded = MAGIC.size() + LENGTH_BYTES + dict.size() + 1;
    dict.append((ALIGNMENT - unpadded % ALIGNMENT) % ALIGNMENT, ' ');
    dict.push_back('\n');
    std::string header(MAGIC);
    header.push_back(static_cast<char>(dict.size() & 0xFF));
    header.push_back(static_cast<char>(dict.size() >> 8));
    return header + dict;
}

bool WriteNpy(const std::string &path, std::span<const float> values, std::size_t columns)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::string header = NpyHeader(values.size() / columns, columns);
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char *>(values.data()), static_cast<std::streamsize>(values.size_bytes()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace granite::learn
