#pragma once
// A byte vector that never throws on allocation failure: the failure is recorded
// in af_ (the number of bytes that could not be had) and the next use asserts.
#include <cstddef>

class datavect {
public:
    datavect() = default;
    datavect(const void* bytes, size_t count);
    datavect(const datavect& other);
    datavect& operator=(const datavect& other);
    datavect(datavect&& other) noexcept;
    datavect& operator=(datavect&& other) noexcept;
    ~datavect();

    // Each returns false when an allocation failed (and records it).
    bool reserve(size_t n);
    bool resize(size_t count, unsigned char fill = 0);
    bool assign(const void* bytes, size_t count);
    bool insert(unsigned char* where, const void* first, const void* last);
    void erase(unsigned char* first, unsigned char* last);
    void erase(size_t pos, size_t count = npos);

    unsigned char& front();
    unsigned char* data();
    const unsigned char* data() const;
    unsigned char* begin() { return data(); }
    unsigned char* end();
    size_t size() const;
    bool empty() const;
    unsigned char operator[](size_t i) const;
    unsigned char& operator[](size_t i);

    size_t capacity() const { return cap_; }
    size_t allocationFailure() const { return af_; }

    static constexpr size_t npos = static_cast<size_t>(-1);

private:
    bool Grow(size_t n);
    void Check(bool condition, const char* expression, unsigned line) const;

    size_t af_ = 0;
    unsigned char* p_ = nullptr;
    size_t s_ = 0;
    size_t cap_ = 0;
};
