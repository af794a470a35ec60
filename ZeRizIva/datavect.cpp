#include "datavect.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "Assert.h"

void datavect::Check(bool condition, const char* expression, unsigned line) const
{
    AssertThat(condition, expression, "ZeRizIva/datavect", line);
}

datavect::datavect(const void* bytes, size_t count) { assign(bytes, count); }

datavect::datavect(const datavect& other)
{
    // The copy's capacity is the source's size.
    if (other.s_ && Grow(other.s_)) {
        std::memcpy(p_, other.p_, other.s_);
        s_ = other.s_;
    }
}

datavect& datavect::operator=(const datavect& other)
{
    if (this != &other) {
        datavect copy(other);
        *this = std::move(copy);
    }
    return *this;
}

datavect::datavect(datavect&& other) noexcept
    : af_(std::exchange(other.af_, 0)), p_(std::exchange(other.p_, nullptr)), s_(std::exchange(other.s_, 0)),
      cap_(std::exchange(other.cap_, 0))
{
}

datavect& datavect::operator=(datavect&& other) noexcept
{
    if (this != &other) {
        std::free(p_);
        af_ = std::exchange(other.af_, 0);
        p_ = std::exchange(other.p_, nullptr);
        s_ = std::exchange(other.s_, 0);
        cap_ = std::exchange(other.cap_, 0);
    }
    return *this;
}

datavect::~datavect() { std::free(p_); }

// Exactly n bytes, no growth factor; on failure the contents stay as they were.
bool datavect::Grow(size_t n)
{
    if (n <= cap_)
        return true;
    auto* fresh = static_cast<unsigned char*>(std::malloc(n));
    if (!fresh) {
        af_ = n;
        return false;
    }
    if (s_)
        std::memcpy(fresh, p_, s_);
    std::free(p_);
    p_ = fresh;
    cap_ = n;
    return true;
}

bool datavect::reserve(size_t n)
{
    Check(!af_, "!af_", 93);
    return Grow(n);
}

bool datavect::resize(size_t count, unsigned char fill)
{
    if (count == 0) {
        af_ = 0;
        s_ = 0;
        return true;
    }
    Check(!af_, "!af_", 117);
    if (!Grow(count))
        return false;
    if (count > s_)
        std::memset(p_ + s_, fill, count - s_);
    s_ = count;
    return true;
}

bool datavect::assign(const void* bytes, size_t count)
{
    Check(!af_, "!af_", 191);
    if (!Grow(count))
        return false;
    if (count)
        std::memmove(p_, bytes, count);
    s_ = count;
    return true;
}

unsigned char& datavect::front()
{
    Check(!af_ && s_, "!af_ && s_", 223);
    return p_[0];
}

bool datavect::insert(unsigned char* where, const void* first, const void* last)
{
    Check(!af_, "!af_", 248);
    Check((where >= p_) && (where <= p_ + s_), "(where >= p_) && (where <= p_ + s_)", 249);
    const auto* from = static_cast<const unsigned char*>(first);
    const std::ptrdiff_t count = static_cast<const unsigned char*>(last) - from;
    Check(count >= 0, "count >= 0", 252);
    if (count == 0)
        return true;
    const size_t offset = where - p_;
    // The source may lie inside this vector; keep a copy across the reallocation.
    datavect source;
    if (from >= p_ && from < p_ + s_) {
        if (!source.assign(from, count)) {
            af_ = source.af_;
            return false;
        }
        from = source.p_;
    }
    if (!Grow(s_ + count))
        return false;
    std::memmove(p_ + offset + count, p_ + offset, s_ - offset);
    std::memcpy(p_ + offset, from, count);
    s_ += count;
    return true;
}

void datavect::erase(unsigned char* p1, unsigned char* p2)
{
    Check(!af_, "!af_", 288);
    Check((p1 >= p_) && (p1 <= p_ + s_), "(p1 >= p_) && (p1 <= p_ + s_)", 289);
    Check((p2 >= p1) && (p2 <= p_ + s_), "(p2 >= p1) && (p2 <= p_ + s_)", 290);
    std::memmove(p1, p2, (p_ + s_) - p2);
    s_ -= p2 - p1;
}

void datavect::erase(size_t pos, size_t count)
{
    Check(!af_, "!af_", 308);
    Check(pos <= s_, "pos <= s_", 309);
    if (count == npos)
        count = s_ - pos;
    Check(pos + count <= s_, "pos + count <= s_", 312);
    if (count)
        std::memmove(p_ + pos, p_ + pos + count, s_ - pos - count);
    s_ -= count;
}

unsigned char* datavect::data()
{
    Check(!af_, "!af_", 324);
    return p_;
}

const unsigned char* datavect::data() const
{
    Check(!af_, "!af_", 326);
    return p_;
}

unsigned char* datavect::end()
{
    Check(!af_, "!af_", 330);
    return p_ + s_;
}

size_t datavect::size() const
{
    Check(!af_, "!af_", 332);
    return s_;
}

bool datavect::empty() const
{
    Check(!af_, "!af_", 333);
    return s_ == 0;
}

unsigned char datavect::operator[](size_t i) const
{
    Check(!af_ && i < s_, "!af_ && i<s_", 338);
    return p_[i];
}

unsigned char& datavect::operator[](size_t i)
{
    Check(!af_ && i < s_, "!af_ && i<s_", 341);
    return p_[i];
}
