#pragma once
// Cached facts about the operating system and its web browser component. A
// group of facts is fetched on first request and kept only when it could be
// determined; a failed attempt is repeated at the next request.
#include <cstdint>

struct VersionTriple {
    std::uint32_t a = 0, b = 0, c = 0;

    friend bool operator==(const VersionTriple& x, const VersionTriple& y)
    {
        return x.a == y.a && x.b == y.b && x.c == y.c;
    }
    // Lexicographic and unsigned: the first number that differs decides.
    friend bool operator<(const VersionTriple& x, const VersionTriple& y)
    {
        if (x.a != y.a)
            return x.a < y.a;
        if (x.b != y.b)
            return x.b < y.b;
        return x.c < y.c;
    }
    friend bool operator>=(const VersionTriple& x, const VersionTriple& y) { return !(x < y); }
    friend bool operator<=(const VersionTriple& x, const VersionTriple& y) { return !(y < x); }
    friend bool operator>(const VersionTriple& x, const VersionTriple& y) { return y < x; }
};

inline constexpr VersionTriple kMinimumWin95Family{1, 4, 10};  // Windows 98
inline constexpr VersionTriple kWindowsNT4{2, 4, 0};           // needs service pack 3
inline constexpr VersionTriple kMinimumBrowser{4, 71, 1712};   // Internet Explorer 4.0

class OsInfo {
public:
    // (platform, major, minor); platform 1 is the 95 family, 2 the NT family.
    VersionTriple SystemVersion();
    std::uint32_t Platform() { return SystemVersion().a; }
    // The major service pack number, -1 when unknown.
    int ServicePack();
    // (major, minor, build) of Internet Explorer, (0, 0, 0) when unknown.
    VersionTriple BrowserVersion();

private:
    bool haveSystem_ = false, haveServicePack_ = false, haveBrowser_ = false;
    VersionTriple system_, browser_;
    int servicePack_ = -1;
};

// The process-wide facts.
OsInfo& Os();
