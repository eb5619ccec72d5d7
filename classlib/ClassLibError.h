#pragma once
// Errors raised where the program's class library raised them: the registry's value errors and
// range errors. Each carries its message text; handlers catch them at their boundary.
#include <stdexcept>
#include <string>

namespace vek {

class EClassLibError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Invalid data type for '%s'", "Failed to get data for '%s'", "Failed to set data for '%s'".
class ERegistryException : public EClassLibError {
public:
    using EClassLibError::EClassLibError;
};

class ERangeError : public EClassLibError {
public:
    using EClassLibError::EClassLibError;
};

} // namespace vek
