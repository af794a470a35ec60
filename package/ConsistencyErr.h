#pragma once
// The failure of the integrity check or of the stamping: a fixed text and the
// system's error code taken at the failing call (0 where there is none).
#include <exception>

class ConsistencyErr : public std::exception {
public:
    ConsistencyErr(const char* message, unsigned long code) : message_(message), code_(code) {}
    const char* what() const noexcept override { return message_; }
    unsigned long Code() const { return code_; }

private:
    const char* message_; // always a literal
    unsigned long code_;
};
