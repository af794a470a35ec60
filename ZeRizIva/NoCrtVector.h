#pragma once
// A vector of trivially copyable elements built on datavect: allocation failures
// are recorded, not thrown, and the next use asserts.
#include <cstring>
#include <type_traits>

#include "Assert.h"
#include "datavect.h"

template <typename T>
class NoCrtVector {
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved as bytes");

public:
    bool push_back(const T& value)
    {
        Check(!bytes_.allocationFailure(), "!af_", 217);
        const size_t old = bytes_.size();
        if (!bytes_.resize(old + sizeof(T)))
            return false;
        std::memcpy(bytes_.data() + old, &value, sizeof(T));
        return true;
    }

    T& front()
    {
        Check(!bytes_.allocationFailure() && size(), "!af_ && size()", 206);
        return *reinterpret_cast<T*>(bytes_.data());
    }

    T& operator[](size_t i)
    {
        Check(!bytes_.allocationFailure() && i < size(), "!af_ && i<size()", 319);
        return reinterpret_cast<T*>(bytes_.data())[i];
    }

    size_t size() const
    {
        Check(!bytes_.allocationFailure(), "!af_", 319);
        return bytes_.size() / sizeof(T);
    }

    bool resize(size_t count) { return bytes_.resize(count * sizeof(T)); }
    size_t allocationFailure() const { return bytes_.allocationFailure(); }

private:
    static void Check(bool condition, const char* expression, unsigned line)
    {
        AssertThat(condition, expression, "ZeRizIva/NoCrtVector", line);
    }

    datavect bytes_;
};
