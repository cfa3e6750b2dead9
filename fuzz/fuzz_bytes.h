// Reads typed values from a fuzzer's input, front to back. Past the end every
// read gives zero bytes, so any input decodes to some complete set of values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzBytes {
public:
    FuzzBytes(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

    template <typename T>
    T Raw()
    {
        unsigned char bytes[sizeof(T)] = {};
        for (unsigned char &byte : bytes)
            byte = Byte();
        T value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }

    // A value spread evenly over [low, high] in 65536 steps.
    float Between(float low, float high)
    {
        const auto step = static_cast<float>(Raw<std::uint16_t>()) / 65535.0f;
        return low + (high - low) * step;
    }

    template <typename T, std::size_t N>
    T OneOf(const T (&choices)[N])
    {
        return choices[Byte() % N];
    }

    bool Empty() const { return at_ >= size_; }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t at_ = 0;
};
