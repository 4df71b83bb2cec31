// Failures the command-line host reports to the user: one line each, printed
// by main as "sylvatone: <message>".
#pragma once

#include <stdexcept>
#include <string>

class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& message) : std::runtime_error(message) {}
};

// A command line that cannot be run as written (exit status 2, not 1).
class UsageError : public HostError {
public:
    explicit UsageError(const std::string& message) : HostError(message) {}
};
