// The errors that the dialog framework raises and reports itself with its
// standard error box. Portable, so that the lists of the inventory can raise
// them in every build. Out of memory is std::bad_alloc.
#pragma once

#include <stdexcept>

/// A programming error such as a list position out of range.
class CInvalidArgException : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};
