// A method whose capability this build does not carry yet. It keeps its
// place, name, syntax text and argument count in the tables, so help and
// argument checks behave as for the real method, and a call is refused
// with a printed line and result code 1.
#pragma once

#include <string>

#include "files/MoZELIO.h"

namespace zel {

class MoUnavailable : public MoZELIO {
public:
    // className: the class the method will have; name: its script name.
    MoUnavailable(IoContext& io, const char* className, const char* name, int arguments);

    const char* ClassName() const override { return className_; }
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    const char* className_;
    const char* name_;
};

}  // namespace zel
